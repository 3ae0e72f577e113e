#include "cli/Destination.h"

#include "engine/layout/ThunderbirdProfile.h"
#include "engine/support/Failure.h"
#include "engine/support/FileDescriptor.h"
#include "engine/support/FileNames.h"
#include "engine/support/PathOnDisk.h"
#include "engine/support/ShownName.h"

#include <QSet>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString problem(const QString &path, const QString &reason)
{
    return shownName(path) + QStringLiteral(": ") + reason;
}

QString folderOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash > 0 ? path.left(slash) : QStringLiteral("/");
}

// Trying is the one sure test: root passes access() on a read-only or a
// virtual file system (/proc, /sys) where nothing can be made. A dry run
// leaves even the folder's time alone, and asks.
QString cannotMakeIn(const QString &folder, bool dryRun)
{
    if (dryRun) {
        if (::faccessat(AT_FDCWD, nativeName(folder).constData(), W_OK | X_OK, AT_EACCESS) != 0)
            return problem(folder, QStringLiteral("cannot write in this folder: ") + systemReason(errno));
        return {};
    }
    QByteArray probe = nativeName(folder) + "/.quorvel-convert-XXXXXX";
    if (!::mkdtemp(probe.data()))
        return problem(folder, QStringLiteral("cannot write in this folder: ") + systemReason(errno));
    ::rmdir(probe.constData());
    return {};
}

// path does not exist: the nearest folder above it that does must take new entries.
QString cannotMakeBelow(const QString &path, bool dryRun)
{
    QString folder = path;
    do {
        folder = folderOf(folder);
        struct stat status {};
        if (::stat(nativeName(folder).constData(), &status) == 0) {
            if (!S_ISDIR(status.st_mode))
                return problem(folder, QStringLiteral("not a folder, so nothing can be made below it"));
            return cannotMakeIn(folder, dryRun);
        }
        if (errno != ENOENT && errno != ENOTDIR)
            return problem(folder, systemReason(errno));
    } while (folder != QLatin1String("/"));
    return {};
}

QString outputFolderProblem(const QString &folder, bool dryRun)
{
    struct stat status {};
    if (::stat(nativeName(folder).constData(), &status) != 0)
        return errno == ENOENT || errno == ENOTDIR ? cannotMakeBelow(folder, dryRun) : problem(folder, systemReason(errno));
    if (!S_ISDIR(status.st_mode))
        return problem(folder, QStringLiteral("not a folder (-o names the folder the mbox files go into)"));
    return cannotMakeIn(folder, dryRun);
}

QString singleFileProblem(const QString &file, bool dryRun)
{
    struct stat status {};
    if (::stat(nativeName(file).constData(), &status) != 0)
        return errno == ENOENT || errno == ENOTDIR ? cannotMakeBelow(file, dryRun) : problem(file, systemReason(errno));
    if (S_ISDIR(status.st_mode))
        return problem(file, QStringLiteral("a folder, not an mbox file"));
    if (!S_ISREG(status.st_mode))
        return problem(file, QStringLiteral("not a regular file, so it cannot hold an mbox"));
    // Opened for appending, nothing written: the mbox stays as it is.
    const FileDescriptor opened(::open(nativeName(file).constData(), O_WRONLY | O_APPEND | O_NOCTTY | O_CLOEXEC));
    if (opened.get() < 0)
        return problem(file, systemReason(errno));
    return {};
}

// what: "report" or "manifest".
QString reportFileProblem(const QString &file, bool dryRun, const QString &what = QStringLiteral("report"))
{
    struct stat status {};
    if (::stat(nativeName(file).constData(), &status) == 0) {
        if (S_ISDIR(status.st_mode))
            return problem(file, QStringLiteral("a folder, not a %1 file").arg(what));
        // A pipe or a terminal (--report /dev/stdout) is written in place.
        if (!S_ISREG(status.st_mode))
            return {};
    } else if (errno != ENOENT) {
        return problem(file, systemReason(errno));
    }
    // The report is written beside its place and renamed into it.
    const QString folder = folderOf(file);
    if (::stat(nativeName(folder).constData(), &status) != 0)
        return problem(file, QStringLiteral("cannot write the %1: ").arg(what) + systemReason(errno));
    if (!S_ISDIR(status.st_mode))
        return problem(file, QStringLiteral("cannot write the %1: ").arg(what) + systemReason(ENOTDIR));
    return cannotMakeIn(folder, dryRun);
}

struct FileId {
    dev_t device = 0;
    ino_t inode = 0;
    bool exists = false;
};

FileId idOf(const QString &path)
{
    struct stat status {};
    if (::stat(nativeName(path).constData(), &status) != 0)
        return {};
    return {status.st_dev, status.st_ino, true};
}

} // namespace

QString profileInUseProblem(const CommandOptions &options)
{
    QString profile = options.profile;
    if (!options.intoThunderbird)
        profile = profileHolding(options.naming.singleFile.isEmpty() ? options.naming.destination : options.naming.singleFile);
    if (profile.isEmpty() || !profileInUse(profile))
        return {};
    return QStringLiteral("Thunderbird is running with the profile %1: close it, then run the same command again")
        .arg(shownName(profile));
}

QString destinationProblem(const CommandOptions &options)
{
    // Before the checks below: one makes a folder to see that it can.
    if (QString problem = profileInUseProblem(options); !problem.isEmpty())
        return problem;
    if (!options.naming.destination.isEmpty())
        if (QString problem = outputFolderProblem(options.naming.destination, options.dryRun); !problem.isEmpty())
            return problem;
    if (!options.naming.singleFile.isEmpty())
        if (QString problem = singleFileProblem(options.naming.singleFile, options.dryRun); !problem.isEmpty())
            return problem;
    if (!options.reportFile.isEmpty())
        if (QString problem = reportFileProblem(options.reportFile, options.dryRun); !problem.isEmpty())
            return problem;
    if (!options.manifestFile.isEmpty())
        return reportFileProblem(options.manifestFile, options.dryRun, QStringLiteral("manifest"));
    return {};
}

namespace {

// option: "report" or "manifest", the file it names.
QString fileClash(const CommandOptions &options, const SourceListing &listing, const QString &report,
                  const QString &option)
{
    const QString said = QStringLiteral("--%1 names ").arg(option);
    const QString overwrites = QStringLiteral("; the %1 would overwrite it").arg(option);
    const FileId reportId = idOf(report);
    const auto same = [&](const QString &path) {
        if (path == report)
            return true;
        if (!reportId.exists)
            return false;
        const FileId id = idOf(path);
        return id.exists && id.device == reportId.device && id.inode == reportId.inode;
    };
    if (!options.listFile.isEmpty() && options.listFile != QLatin1String("-") && same(absolutePath(options.listFile)))
        return problem(report, said + QStringLiteral("the --files-from list") + overwrites);
    // The single mbox is one even when nothing is listed: it may hold earlier runs.
    QSet<QString> mboxes;
    if (!options.naming.singleFile.isEmpty())
        mboxes.insert(options.naming.singleFile);
    for (const ListedMessage &message : listing.messages) {
        if (same(message.source))
            return problem(report, said + QStringLiteral("a message to convert") + overwrites);
        try {
            mboxes.insert(options.naming.targetFor(message.namedPath(), message.nameStart).file);
        } catch (const Failure &) {
            // Named as the message's failure during the run.
        }
    }
    for (const QString &mbox : std::as_const(mboxes))
        if (same(mbox))
            return problem(report, said + QStringLiteral("an mbox file of this run") + overwrites);
    return {};
}

} // namespace

QString reportClash(const CommandOptions &options, const SourceListing &listing)
{
    if (!options.reportFile.isEmpty())
        if (QString problem = fileClash(options, listing, options.reportFile, QStringLiteral("report")); !problem.isEmpty())
            return problem;
    if (!options.manifestFile.isEmpty())
        return fileClash(options, listing, options.manifestFile, QStringLiteral("manifest"));
    return {};
}
