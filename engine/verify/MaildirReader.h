#pragma once

#include "engine/verify/TargetReader.h"

// A maildir folder: every file in its cur/ and new/ is one message, its bytes
// as they came (line ends aside), no separator, no quoting.
class MaildirReader final : public TargetReader {
public:
    QString containerOf(const QString &target) const override;
    QString read(const QString &container, const std::function<void(const StoredMessage &)> &each,
                 Yielder &yielder) const override;
    QString placeOf(const StoredMessage &message) const override;
};
