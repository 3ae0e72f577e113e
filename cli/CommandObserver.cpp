#include "cli/CommandObserver.h"

#include "cli/Figures.h"
#include "engine/support/ShownName.h"

namespace {
constexpr qint64 RedrawIntervalMs = 100;
}

CommandObserver::CommandObserver(const QList<ConversionEntry> &entries, RunTally &tally, Console &console,
                                 bool verbose, const QElapsedTimer &clock)
    : entries_(entries), tally_(tally), console_(console), verbose_(verbose), clock_(clock)
{
}

void CommandObserver::BytesRead(qint64 bodyLength, qint64 fileSize)
{
    Q_UNUSED(fileSize)
    currentBody_ = bodyLength;
    Tick();
}

void CommandObserver::MessageDone(int number, int total)
{
    Q_UNUSED(total)
    done_ = number;
    currentBody_ = 0;
    Tick();
}

void CommandObserver::MessageWritten(const QString &source, const QString &mboxFile, qint64 recordBytes)
{
    tally_.Written(mboxFile, recordBytes);
    if (verbose_)
        console_.Out(ShownName(source) + QStringLiteral(" -> ") + ShownName(mboxFile));
}

void CommandObserver::MessageFailed(const QString &source, const QString &reason)
{
    tally_.Failed(RunTally::FailureKind::Message, source, reason);
    console_.Error(QStringLiteral("quorvel-convert: ") + ShownName(source) + QStringLiteral(": ") + ShownName(reason));
    lastDrawMs_ = -1000;  // the line was cleared for it: draw it again at once
}

void CommandObserver::MessageSkipped(const QString &source, const QString &mboxFile, qint64 matchOffset)
{
    tally_.Skipped(source, mboxFile, matchOffset);
    if (verbose_)
        console_.Out(SkippedText(source, mboxFile, matchOffset));
}

void CommandObserver::MessageWarning(const QString &source, const QString &text)
{
    tally_.Warned(source, text);
    console_.Error(QStringLiteral("quorvel-convert: warning: ") + ShownName(source) + QStringLiteral(": ") + text);
    lastDrawMs_ = -1000;
}

QString SkippedText(const QString &source, const QString &mboxFile, qint64 matchOffset)
{
    if (matchOffset < 0)
        return ShownName(source) + QStringLiteral(" -- a copy of a message listed before it, for ") + ShownName(mboxFile);
    return ShownName(source) + QStringLiteral(" -- already in ") + ShownName(mboxFile) + QStringLiteral(" (the record at byte %1)").arg(matchOffset);
}

void CommandObserver::MboxRepaired(const QString &mboxFile, const QString &text)
{
    tally_.Repaired(mboxFile, text);
    console_.Error(QStringLiteral("quorvel-convert: ") + ShownName(mboxFile) + QStringLiteral(": ") + ShownName(text));
}

void CommandObserver::Tick()
{
    if (!console_.HasStatusLine())
        return;
    const qint64 now = clock_.elapsed();
    if (now - lastDrawMs_ < RedrawIntervalMs)
        return;
    lastDrawMs_ = now;
    Draw();
}

void CommandObserver::Draw()
{
    ProgressFigures figures;
    figures.done = done_;
    figures.total = int(entries_.size());
    figures.bytes = tally_.bytes + currentBody_;
    figures.elapsedMs = clock_.elapsed();
    if (done_ < entries_.size())
        figures.current = ShownName(entries_[done_].source);
    console_.Status(ProgressText(figures, console_.Width()));
}
