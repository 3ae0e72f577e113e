#include "window/RememberedFolder.h"

#include "engine/support/FileNames.h"
#include "engine/support/PathOnDisk.h"

#include <QDir>
#include <QSettings>

RememberedFolder::RememberedFolder(const QString &dialog) : key_(QStringLiteral("RememberedFolders/") + dialog) {}

QString RememberedFolder::startFolder() const
{
    // Kept as the name's bytes, so a folder whose name is not UTF-8 comes back as it was.
    const QString folder = nameFromNative(QSettings().value(key_).toByteArray());
    return kindOfPath(folder) == PathKind::Folder ? folder : QDir::homePath();
}

void RememberedFolder::remember(const QString &folder) const
{
    if (!folder.isEmpty())
        QSettings().setValue(key_, nativeName(folder));
}

RememberedFolder RememberedFolder::open()
{
    return RememberedFolder(QStringLiteral("Open"));
}

RememberedFolder RememberedFolder::forPicker(const QString &prompt)
{
    if (prompt == QLatin1String("Choose Source Folder..."))
        return RememberedFolder(QStringLiteral("Source"));
    if (prompt == QLatin1String("Choose Folder to Save..."))
        return RememberedFolder(QStringLiteral("Destination"));
    return RememberedFolder(QStringLiteral("Folder"));
}
