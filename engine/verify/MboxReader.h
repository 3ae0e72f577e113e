#pragma once

#include "engine/verify/TargetReader.h"

#include <QList>

// An mbox file, split as a run splits an mbox source (messagesOfMbox): a
// record starts at a "From " line at the file's start or after an empty line
// and ends with the empty line before the next; a line of ">"s then "From "
// loses one ">" (mboxrd). Line ends are made LF. With mozillaStatus, the
// X-Mozilla-Status and X-Mozilla-Status2 lines Thunderbird keeps straight
// after a separator line are not part of the message.
class MboxReader final : public TargetReader {
public:
    explicit MboxReader(bool mozillaStatus = false) : mozillaStatus_(mozillaStatus) {}
    QString read(const QString &container, const std::function<void(const StoredMessage &)> &each,
                 Yielder &yielder) const override;
    QString placeOf(const StoredMessage &message) const override;

    // The messages of mbox bytes at hand, their texts read in the pieces given.
    static QList<StoredMessage> messagesIn(const QList<QByteArrayView> &pieces, bool mozillaStatus = false);

private:
    bool mozillaStatus_;
};
