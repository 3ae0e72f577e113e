#pragma once

#include "engine/mbox/MboxAppender.h"
#include "engine/mbox/OutputTarget.h"
#include "engine/store/OwnMboxes.h"
#include "engine/store/DuplicateCheck.h"
#include "engine/store/Store.h"

#include <QHash>
#include <QSet>
#include <optional>

// A tree of mbox files, one per source folder (MboxNaming: mirrored,
// relative, or one file for all): each message appended as one record under
// the file's lock, crash-safe (MboxAppender), every file flushed at the end.
class MboxStore : public Store {
public:
    explicit MboxStore(const ConversionRules &rules);

    QString targetOf(const SourceMessage &message) const override { return outputTargetOf(message).file; }
    QString targetWord(qsizetype count) const override;
    bool namesSender() const override { return true; }
    void prepare(const QList<SourceMessage> &messages, Yielder &yielder) override;
    StoreOutcome write(MessageInput &input) override;
    QList<ConversionFailure> finish(Yielder &yielder) override;
    StoreOutcome findCopy(const SourceMessage &message, Yielder &yielder) override;
    std::unique_ptr<TargetReader> reader() const override;

protected:
    virtual OutputTarget outputTargetOf(const SourceMessage &message) const;
    // The header lines a record gets after its separator line.
    virtual QByteArray linesAfterSeparator(const SourceMessage &message) const;
    // Made with the folder, before its first record.
    virtual QString prepareFolder(const OutputTarget &target, int &error) const;
    virtual bool dotLock() const { return true; }

    const ConversionRules rules_;

private:
    QStringList files_;  // in first-use order, for the flush at the end
    QSet<QString> filesSeen_;
    QString lastFolderMade_;  // consecutive messages mostly share their folder
    std::optional<MboxAppender> appender_;  // the mbox of the last message, mostly the next one's too
    KnownIdentities known_;
    OwnMboxes own_;
    QHash<QString, QString> lockFailures_;  // by mbox: its lock was waited for in vain
    // The target of the last folder asked about: consecutive messages mostly share it.
    mutable QString lastSourceFolder_;
    mutable qsizetype lastNameStart_ = -1;
    mutable OutputTarget lastTarget_;
};
