#pragma once

#include "engine/layout/MaildirIndex.h"
#include "engine/layout/MaildirWriter.h"
#include "engine/store/Store.h"

#include <optional>

// A Maildir++ tree (MaildirWriter): one file per message, named after its
// date and its text's hash, so that a later run finds a copy by its name.
class MaildirStore final : public Store {
public:
    explicit MaildirStore(const ConversionRules &rules);

    QString targetOf(const SourceMessage &message) const override;
    QString targetWord(qsizetype count) const override;
    StoreOutcome write(MessageInput &input) override;
    QList<ConversionFailure> finish(Yielder &yielder) override;
    StoreOutcome findCopy(const SourceMessage &message, Yielder &yielder) override;
    std::unique_ptr<TargetReader> reader() const override;

private:
    const MaildirTarget &maildirOf(const SourceMessage &message) const;

    const ConversionRules rules_;
    std::optional<MaildirWriter> writer_;
    MaildirIndex listed_;  // for a run that writes nothing
    // The last source folder asked about, with its listed folder's name start,
    // and its maildir folder: consecutive messages mostly share it.
    mutable QString lastSourceFolder_;
    mutable qsizetype lastNameStart_ = -1;
    mutable MaildirTarget lastMaildir_;
};
