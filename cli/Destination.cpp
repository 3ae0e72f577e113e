#include "cli/Destination.h"

#include "engine/support/FileDescriptor.h"
#include "engine/support/FileNames.h"
#include "engine/support/PathOnDisk.h"
#include "engine/support/RunTimeError.h"
#include "engine/support/ShownName.h"

#include <QSet>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString Problem(const QString &path, const QString &reason)
{
    return ShownName(path) + QStringLiteral(": ") + reason;
}

QString FolderOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash > 0 ? path.left(slash) : QStringLiteral("/");
}

// Trying is the one sure test: root passes access() on a read-only or a
// virtual file system (/proc, /sys) where nothing can be made. A dry run
// leaves even the folder's time alone, and asks.
QString CannotMakeIn(const QString &folder, bool dryRun)
{
    if (dryRun) {
        if (::faccessat(AT_FDCWD, NativeName(folder).constData(), W_OK | X_OK, AT_EACCESS) != 0)
            return Problem(folder, QStringLiteral("cannot write in this folder: ") + SystemReason(errno));
        return {};
    }
    QByteArray probe = NativeName(folder) + "/.quorvel-convert-XXXXXX";
    if (!::mkdtemp(probe.data()))
        return Problem(folder, QStringLiteral("cannot write in this folder: ") + SystemReason(errno));
    ::rmdir(probe.constData());
    return {};
}

// path does not exist: the nearest folder above it that does must take new entries.
QString CannotMakeBelow(const QString &path, bool dryRun)
{
    QString folder = path;
    do {
        folder = FolderOf(folder);
        struct stat status {};
        if (::stat(NativeName(folder).constData(), &status) == 0) {
            if (!S_ISDIR(status.st_mode))
                return Problem(folder, QStringLiteral("not a folder, so nothing can be made below it"));
            return CannotMakeIn(folder, dryRun);
        }
        if (errno != ENOENT && errno != ENOTDIR)
            return Problem(folder, SystemReason(errno));
    } while (folder != QLatin1String("/"));
    return {};
}

QString OutputFolderProblem(const QString &folder, bool dryRun)
{
    struct stat status {};
    if (::stat(NativeName(folder).constData(), &status) != 0)
        return errno == ENOENT || errno == ENOTDIR ? CannotMakeBelow(folder, dryRun) : Problem(folder, SystemReason(errno));
    if (!S_ISDIR(status.st_mode))
        return Problem(folder, QStringLiteral("not a folder (-o names the folder the mbox files go into)"));
    return CannotMakeIn(folder, dryRun);
}

QString SingleFileProblem(const QString &file, bool dryRun)
{
    struct stat status {};
    if (::stat(NativeName(file).constData(), &status) != 0)
        return errno == ENOENT || errno == ENOTDIR ? CannotMakeBelow(file, dryRun) : Problem(file, SystemReason(errno));
    if (S_ISDIR(status.st_mode))
        return Problem(file, QStringLiteral("a folder, not an mbox file"));
    if (!S_ISREG(status.st_mode))
        return Problem(file, QStringLiteral("not a regular file, so it cannot hold an mbox"));
    // Opened for appending, nothing written: the mbox stays as it is.
    const FileDescriptor opened(::open(NativeName(file).constData(), O_WRONLY | O_APPEND | O_NOCTTY | O_CLOEXEC));
    if (opened.get() < 0)
        return Problem(file, SystemReason(errno));
    return {};
}

QString ReportFileProblem(const QString &file, bool dryRun)
{
    struct stat status {};
    if (::stat(NativeName(file).constData(), &status) == 0) {
        if (S_ISDIR(status.st_mode))
            return Problem(file, QStringLiteral("a folder, not a report file"));
        // A pipe or a terminal (--report /dev/stdout) is written in place.
        if (!S_ISREG(status.st_mode))
            return {};
    } else if (errno != ENOENT) {
        return Problem(file, SystemReason(errno));
    }
    // The report is written beside its place and renamed into it.
    const QString folder = FolderOf(file);
    if (::stat(NativeName(folder).constData(), &status) != 0)
        return Problem(file, QStringLiteral("cannot write the report: ") + SystemReason(errno));
    if (!S_ISDIR(status.st_mode))
        return Problem(file, QStringLiteral("cannot write the report: ") + SystemReason(ENOTDIR));
    return CannotMakeIn(folder, dryRun);
}

struct FileId {
    dev_t device = 0;
    ino_t inode = 0;
    bool exists = false;
};

FileId IdOf(const QString &path)
{
    struct stat status {};
    if (::stat(NativeName(path).constData(), &status) != 0)
        return {};
    return {status.st_dev, status.st_ino, true};
}

} // namespace

QString DestinationProblem(const CommandOptions &options)
{
    if (!options.naming.destination.isEmpty())
        if (QString problem = OutputFolderProblem(options.naming.destination, options.dryRun); !problem.isEmpty())
            return problem;
    if (!options.naming.singleFile.isEmpty())
        if (QString problem = SingleFileProblem(options.naming.singleFile, options.dryRun); !problem.isEmpty())
            return problem;
    if (!options.reportFile.isEmpty())
        return ReportFileProblem(options.reportFile, options.dryRun);
    return {};
}

QString ReportClash(const CommandOptions &options, const SourceListing &listing)
{
    if (options.reportFile.isEmpty())
        return {};
    const QString report = options.reportFile;
    const FileId reportId = IdOf(report);
    const auto same = [&](const QString &path) {
        if (path == report)
            return true;
        if (!reportId.exists)
            return false;
        const FileId id = IdOf(path);
        return id.exists && id.device == reportId.device && id.inode == reportId.inode;
    };
    if (!options.listFile.isEmpty() && options.listFile != QLatin1String("-") && same(AbsolutePath(options.listFile)))
        return Problem(report, QStringLiteral("--report names the --files-from list; the report would overwrite it"));
    // The single mbox is one even when nothing is listed: it may hold earlier runs.
    QSet<QString> mboxes;
    if (!options.naming.singleFile.isEmpty())
        mboxes.insert(options.naming.singleFile);
    for (const ListedMessage &message : listing.messages) {
        if (same(message.path))
            return Problem(report, QStringLiteral("--report names a message to convert; the report would overwrite it"));
        try {
            mboxes.insert(options.naming.For(message.path, message.nameStart).file);
        } catch (const RunTimeError &) {
            // Named as the message's failure during the run.
        }
    }
    for (const QString &mbox : std::as_const(mboxes))
        if (same(mbox))
            return Problem(report, QStringLiteral("--report names an mbox file of this run; the report would overwrite it"));
    return {};
}
