#include "cli/CommandObserver.h"

#include "cli/Figures.h"
#include "engine/support/Failure.h"
#include "engine/support/ShownName.h"

namespace {
constexpr qint64 RedrawIntervalMs = 100;
}

CommandObserver::CommandObserver(const QList<ConversionEntry> &entries, const Store &store,
                                 RunTally &tally, Console &console, bool verbose, const QElapsedTimer &clock,
                                 Manifest *manifest)
    : entries_(entries), store_(store), manifest_(manifest), tally_(tally), console_(console), verbose_(verbose),
      clock_(clock)
{
}

QString CommandObserver::currentFolder() const
{
    if (done_ >= entries_.size())
        return {};
    try {
        return store_.targetOf(entries_[done_]);
    } catch (const Failure &) {
        return {};
    }
}

SourceMessage CommandObserver::currentSource(const QString &source) const
{
    if (done_ >= entries_.size())
        return {.source = source};
    return entries_[done_];
}

void CommandObserver::entryDone()
{
    facts_.reset();
    warnings_.clear();
}

void CommandObserver::messageFacts(const QString &source, const MessageFacts &facts)
{
    Q_UNUSED(source)
    facts_ = facts;
}

void CommandObserver::bytesRead(qint64 bodyLength, qint64 fileSize)
{
    Q_UNUSED(fileSize)
    currentBody_ = bodyLength;
    tick();
}

void CommandObserver::messageDone(int number, int total)
{
    Q_UNUSED(total)
    done_ = number;
    currentBody_ = 0;
    tick();
}

void CommandObserver::messageWritten(const QString &source, const QString &mboxFile, qint64 recordBytes,
                                     qint64 offset)
{
    const QString target = currentFolder();
    tally_.noteWritten(target, recordBytes);
    tally_.countIn(target, RunTally::Outcome::Written, recordBytes);
    if (manifest_) {
        MessageFacts facts = facts_.value_or(MessageFacts{});
        if (offset < 0)
            facts.recordLength = -1;
        manifest_->written(source, mboxFile, offset, facts, warnings_);
    }
    tally_.placed(currentSource(source), mboxFile, false);
    entryDone();
    if (verbose_)
        console_.out(shownName(source) + QStringLiteral(" -> ") + shownName(mboxFile));
}

void CommandObserver::messageFailed(const QString &source, const QString &reason)
{
    tally_.failed(RunTally::FailureKind::Message, source, reason);
    if (const QString folder = currentFolder(); !folder.isEmpty())
        tally_.countIn(folder, RunTally::Outcome::Failed);
    if (manifest_)
        manifest_->failed(source, reason, facts_ ? &*facts_ : nullptr, warnings_);
    entryDone();
    console_.error(QStringLiteral("quorvel-convert: ") + shownName(source) + QStringLiteral(": ") + shownName(reason));
    lastDrawMs_ = -1000;  // the line was cleared for it: draw it again at once
}

void CommandObserver::messageSkipped(const QString &source, const QString &mboxFile, qint64 matchOffset)
{
    tally_.noteSkipped(source, mboxFile, matchOffset);
    tally_.countIn(currentFolder(), RunTally::Outcome::Skipped);
    if (manifest_)
        manifest_->skipped(source, mboxFile, matchOffset, facts_ ? &*facts_ : nullptr, warnings_);
    tally_.placed(currentSource(source), mboxFile, true);
    entryDone();
    if (verbose_)
        console_.out(skippedText(source, mboxFile, matchOffset));
}

void CommandObserver::messageWarning(const QString &source, const QString &text)
{
    tally_.warned(source, text);
    warnings_.append(text);
    console_.error(QStringLiteral("quorvel-convert: warning: ") + shownName(source) + QStringLiteral(": ") + text);
    lastDrawMs_ = -1000;
}

QString skippedText(const QString &source, const QString &mboxFile, qint64 matchOffset)
{
    if (matchOffset < 0)
        return shownName(source) + QStringLiteral(" -- a copy of a message listed before it, for ") + shownName(mboxFile);
    return shownName(source) + QStringLiteral(" -- already in ") + shownName(mboxFile) + QStringLiteral(" (the record at byte %1)").arg(matchOffset);
}

void CommandObserver::mboxRepaired(const QString &mboxFile, const QString &text)
{
    tally_.repaired(mboxFile, text);
    console_.error(QStringLiteral("quorvel-convert: ") + shownName(mboxFile) + QStringLiteral(": ") + shownName(text));
}

void CommandObserver::tick()
{
    if (!console_.hasStatusLine())
        return;
    const qint64 now = clock_.elapsed();
    if (now - lastDrawMs_ < RedrawIntervalMs)
        return;
    lastDrawMs_ = now;
    draw();
}

void CommandObserver::draw()
{
    ProgressFigures figures;
    figures.done = done_;
    figures.total = int(entries_.size());
    figures.bytes = tally_.bytes + currentBody_;
    figures.elapsedMs = clock_.elapsed();
    if (done_ < entries_.size())
        figures.current = shownName(entries_[done_].source);
    console_.status(progressText(figures, console_.width()));
}
