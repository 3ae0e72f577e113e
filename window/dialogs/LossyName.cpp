#include "window/dialogs/LossyName.h"

#include "engine/support/FileNames.h"

#include <QFile>
#include <QStringList>
#include <dirent.h>

namespace {

// The one entry of folder whose name Qt reads as lossy, or lossy itself.
QString entryReadAs(const QString &folder, const QString &lossy)
{
    DIR *listing = opendir(nativeName(folder).constData());
    if (!listing)
        return lossy;
    QString found;
    int matches = 0;
    while (const dirent *entry = readdir(listing)) {
        // QFile::decodeName is the decoding the dialogs used.
        if (QFile::decodeName(entry->d_name) == lossy && ++matches == 1)
            found = nameFromNative(entry->d_name);
    }
    closedir(listing);
    return matches == 1 ? found : lossy;
}

} // namespace

QString pathFromLossyName(const QString &path)
{
    if (!path.startsWith(QLatin1Char('/')) || !path.contains(QChar::ReplacementCharacter))
        return path;
    const QStringList parts = path.split(QLatin1Char('/'));
    QString real;
    for (qsizetype k = 1; k < parts.size(); ++k) {
        const QString &part = parts[k];
        const QString folder = real.isEmpty() ? QStringLiteral("/") : real;
        real += QLatin1Char('/');
        real += part.contains(QChar::ReplacementCharacter) ? entryReadAs(folder, part) : part;
    }
    return real;
}
