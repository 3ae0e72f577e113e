#include "convert/ConversionRun.h"

#include "convert/EmlMessage.h"
#include "convert/MboxFile.h"
#include "convert/MboxRecord.h"
#include "convert/RunInProgress.h"
#include "convert/SourceFile.h"
#include "modules/RunTimeError.h"
#include "modules/Yielder.h"
#include "modules/modMain.h"
#include "modules/registry.h"

#include <QSet>
#include <chrono>
#include <future>

namespace {

// A message is held in memory whole, and its record takes up to twice that:
// past this size the run refuses it rather than risk running out of memory.
constexpr qint64 MaxMessageSize = qint64(1) << 30;

struct RunState {
    QStringList mboxFiles;       // in first-use order, for the flush at the end
    QSet<QString> mboxFilesSeen;
    QString lastFolderMade;      // consecutive messages mostly share their folder
    QString lastMboxFile;        // the entry last written, for the observer
    qint64 lastRecordBytes = 0;
};

// One entry; returns why it was not written, or empty text when it was.
OutputTarget TargetOf(const ConversionEntry &entry, const ConversionRules &rules)
{
    if (entry.mboxFile.isEmpty())
        return OutputFor(entry.source, rules.destination);
    return {entry.mboxFile.left(entry.mboxFile.lastIndexOf(QLatin1Char('/')) + 1), entry.mboxFile};
}

QString ConvertOne(const ConversionEntry &entry, const ConversionRules &rules, ConversionObserver &observer,
                   Yielder &yielder, RunState &run)
{
    const QString &sourcePath = entry.source;
    const OutputTarget target = TargetOf(entry, rules);
    if (target.folder != run.lastFolderMade) {
        if (!EnsurePathExists(target.folder))
            return QStringLiteral("cannot create the folder ") + target.folder;
        run.lastFolderMade = target.folder;
    }
    yielder.Yield();

    SourceFile source = ReadSourceFile(sourcePath, {.refuseAbove = MaxMessageSize, .betweenChunks = [&] { yielder.Yield(); }});
    if (!source.ok())
        return source.failure;
    yielder.Yield();

    EmlMessage header;
    header.LoadFromBytes(source.bytes, source.modified);
    QByteArray record = SeparatorLine(header.GetSender(), header.GetDate());
    const qsizetype bodyLength = AppendBody(record, source.bytes, [&](qsizetype built) {
        observer.BytesRead(built, source.size);
        yielder.Yield();
    });
    if (source.size > 0)
        observer.BytesRead(bodyLength, source.size);
    record.append("\r\n");
    source.bytes = QByteArray();  // free it before the write

    const AppendOutcome outcome = AppendRecord(target.file, record, FileIo::System(), [&] { yielder.Yield(); });
    if (!outcome.written)
        return outcome.reason;
    run.lastMboxFile = target.file;
    run.lastRecordBytes = record.size();
    if (!run.mboxFilesSeen.contains(target.file)) {
        run.mboxFilesSeen.insert(target.file);
        run.mboxFiles.append(target.file);
    }
    return {};
}

// fdatasync can take long on a busy disk: it runs beside the event loop.
QList<ConversionFailure> FlushAll(const QStringList &mboxFiles, Yielder &yielder)
{
    auto flushing = std::async(std::launch::async, [mboxFiles] {
        QList<ConversionFailure> failures;
        for (const QString &file : mboxFiles)
            if (const QString reason = FlushToDisk(file); !reason.isEmpty())
                failures.append({file, reason});
        return failures;
    });
    while (flushing.wait_for(std::chrono::milliseconds(2)) != std::future_status::ready)
        yielder.Yield();
    return flushing.get();
}

} // namespace

QString TrimSpaces(const QString &text)
{
    qsizetype first = 0, last = text.size();
    while (first < last && text[first] == QLatin1Char(' '))
        ++first;
    while (last > first && text[last - 1] == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

OutputTarget OutputFor(const QString &sourcePath, const QString &destination)
{
    QString sourceFolder = GetFolderPart(sourcePath);
    if (sourceFolder.startsWith(QLatin1Char('/')))
        sourceFolder.remove(0, 1);
    QString folder = destination;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    folder += sourceFolder;
    const QString name = GetLastPathPart(folder.left(folder.size() - 1));
    return {folder, folder + name + QStringLiteral(".mbox")};
}

ConversionResult ConvertMessages(const QStringList &paths, const QString &destination,
                                 ConversionObserver &observer, Yielder &yielder)
{
    QList<ConversionEntry> entries;
    entries.reserve(paths.size());
    for (const QString &path : paths)
        entries.append({TrimSpaces(path), {}});
    return ConvertEntries(entries, {.destination = destination}, observer, yielder);
}

ConversionResult ConvertEntries(const QList<ConversionEntry> &entries, const ConversionRules &rules,
                                ConversionObserver &observer, Yielder &yielder)
{
    const RunInProgress running;
    ConversionResult result;
    RunState run;
    result.total = int(entries.size());
    for (int k = 0; k < result.total; ++k) {
        yielder.Yield();
        const QString &sourcePath = entries[k].source;
        QString failure;
        try {
            failure = ConvertOne(entries[k], rules, observer, yielder, run);
        } catch (const RunTimeError &error) {
            failure = error.Text();
        } catch (const std::bad_alloc &) {
            failure = QStringLiteral("not enough memory to hold the message");
        } catch (const std::exception &error) {
            failure = QString::fromLocal8Bit(error.what());
        }
        if (failure.isEmpty()) {
            ++result.written;
            observer.MessageWritten(sourcePath, run.lastMboxFile, run.lastRecordBytes);
        } else {
            result.failures.append({sourcePath, failure});
            observer.MessageFailed(sourcePath, failure);
        }
        observer.MessageDone(k + 1, result.total);
    }
    result.mboxFiles = run.mboxFiles;
    result.failures += FlushAll(result.mboxFiles, yielder);
    return result;
}
