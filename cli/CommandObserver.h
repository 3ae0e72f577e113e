#pragma once

#include "cli/Console.h"
#include "cli/Manifest.h"
#include "cli/RunTally.h"
#include "engine/api/Conversion.h"

#include <QElapsedTimer>
#include <optional>
#include <QStringList>

// The line -v prints for a message skipped as a copy (see ConversionObserver::messageSkipped).
QString skippedText(const QString &source, const QString &mboxFile, qint64 matchOffset);

// The command's observer of a run: it keeps the tally (which survives an
// interrupted run, unlike the engine's result), names each failure on
// stderr as it happens, prints one line per message when verbose, and draws
// the progress line at most ten times a second.
class CommandObserver final : public ConversionObserver {
public:
    // The entries in the order the run takes them; manifest may be null.
    CommandObserver(const QList<ConversionEntry> &entries, const Store &store, RunTally &tally,
                    Console &console, bool verbose, const QElapsedTimer &clock, Manifest *manifest = nullptr);

    void bytesRead(qint64 bodyLength, qint64 fileSize) override;
    void messageDone(int number, int total) override;
    void messageWritten(const QString &source, const QString &mboxFile, qint64 recordBytes, qint64 offset) override;
    void messageFacts(const QString &source, const MessageFacts &facts) override;
    void messageFailed(const QString &source, const QString &reason) override;
    void messageSkipped(const QString &source, const QString &mboxFile, qint64 matchOffset) override;
    void messageWarning(const QString &source, const QString &text) override;
    void mboxRepaired(const QString &mboxFile, const QString &text) override;

    // Redraws the progress line if the last drawing is old enough.
    void tick();

private:
    void draw();
    // The target of the entry under way (see RunTally::Folder), empty when it has none.
    QString currentFolder() const;
    // Where the entry under way lies in its source.
    SourceMessage currentSource(const QString &source) const;
    void entryDone();

    const QList<ConversionEntry> &entries_;
    const Store &store_;
    Manifest *manifest_;
    std::optional<MessageFacts> facts_;  // of the entry under way
    QStringList warnings_;               // of the entry under way
    RunTally &tally_;
    Console &console_;
    bool verbose_;
    const QElapsedTimer &clock_;
    qint64 lastDrawMs_ = -1000;
    int done_ = 0;
    qint64 currentBody_ = 0;  // built so far of the message under way
};
