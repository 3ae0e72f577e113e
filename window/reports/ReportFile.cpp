#include "window/reports/ReportFile.h"

#include "engine/support/CreatePath.h"
#include "engine/support/FileDescriptor.h"
#include "engine/support/FileNames.h"
#include "engine/support/ReportFolder.h"
#include "engine/support/ShownName.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Two runs in the same second each get their own file.
constexpr int MaxReportsPerSecond = 1000;

} // namespace

SavedReport saveReport(const QString &kind, const QString &text, const QDateTime &when)
{
    const QString folder = reportFolder();
    if (const QString reason = createPath(folder, 0700); !reason.isEmpty())
        return {folder, reason};
    const QString stem = folder + QLatin1Char('/') + kind + QLatin1Char('-')
                         + when.toString(QStringLiteral("yyyy-MM-dd'T'HH-mm-ss"));
    // The text's file names go back to their own bytes.
    const QByteArray bytes = nativeName(text);
    for (int n = 1; n <= MaxReportsPerSecond; ++n) {
        const QString path = stem + (n == 1 ? QString() : QLatin1Char('-') + QString::number(n)) + QStringLiteral(".txt");
        const QByteArray native = nativeName(path);
        const FileDescriptor file(::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (file.get() < 0) {
            if (errno == EEXIST)
                continue;
            return {path, systemReason(errno)};
        }
        if (const int error = writeFully(file.get(), bytes); error != 0) {
            ::unlink(native.constData());
            return {path, systemReason(error)};
        }
        return {path, {}};
    }
    return {stem + QStringLiteral(".txt"), systemReason(EEXIST)};
}

QString savedReportLine(const SavedReport &saved)
{
    if (saved.saved())
        return QStringLiteral("The complete report is in ") + shownName(saved.path);
    return QStringLiteral("The complete report could not be written to ") + shownName(saved.path) + QStringLiteral(": ")
           + saved.failure;
}
