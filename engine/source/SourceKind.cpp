#include "engine/source/SourceKind.h"

#include "engine/support/FileNames.h"

#include <sys/stat.h>

namespace {

bool isFolder(const QString &path)
{
    struct stat info {};
    return ::stat(nativeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

// "From " and then a sender: a line any mbox writer starts a record with.
bool startsWithSeparator(QByteArrayView start)
{
    if (!start.startsWith("From "))
        return false;
    const qsizetype lineEnd = start.indexOf('\n');
    const QByteArrayView line = start.first(lineEnd < 0 ? start.size() : lineEnd).sliced(5).trimmed();
    return !line.isEmpty() && line.indexOf(' ') > 0;
}

} // namespace

SourceKind fileKind(const QString &name, QByteArrayView start)
{
    if (name.endsWith(QLatin1String(".partial.emlx"), Qt::CaseInsensitive))
        return SourceKind::PartialEmlx;
    if (name.endsWith(QLatin1String(".emlx"), Qt::CaseInsensitive))
        return SourceKind::Emlx;
    if (name.endsWith(QLatin1String(".eml"), Qt::CaseInsensitive))
        return SourceKind::Eml;
    if (startsWithSeparator(start))
        return SourceKind::Mbox;
    return SourceKind::Unknown;
}

bool isMaildir(const QString &folder)
{
    return isFolder(folder + QStringLiteral("/cur")) && isFolder(folder + QStringLiteral("/new"));
}

QString kindName(SourceKind kind)
{
    switch (kind) {
    case SourceKind::Eml:
        return QStringLiteral("eml");
    case SourceKind::Emlx:
        return QStringLiteral("emlx");
    case SourceKind::PartialEmlx:
        return QStringLiteral("partial emlx");
    case SourceKind::Mbox:
        return QStringLiteral("mbox");
    case SourceKind::Maildir:
        return QStringLiteral("maildir");
    case SourceKind::Unknown:
        break;
    }
    return QStringLiteral("unknown");
}
