#include "window/RememberedFolder.h"

#include "engine/support/FileNames.h"
#include "engine/support/PathOnDisk.h"

#include <QDir>
#include <QSettings>

RememberedFolder::RememberedFolder(const QString &dialog) : key_(QStringLiteral("RememberedFolders/") + dialog) {}

QString RememberedFolder::StartFolder() const
{
    // Kept as the name's bytes, so a folder whose name is not UTF-8 comes back as it was.
    const QString folder = NameFromNative(QSettings().value(key_).toByteArray());
    return KindOfPath(folder) == PathKind::Folder ? folder : QDir::homePath();
}

void RememberedFolder::Remember(const QString &folder) const
{
    if (!folder.isEmpty())
        QSettings().setValue(key_, NativeName(folder));
}

RememberedFolder RememberedFolder::Open()
{
    return RememberedFolder(QStringLiteral("Open"));
}

RememberedFolder RememberedFolder::ForPicker(const QString &prompt)
{
    if (prompt == QLatin1String("Choose Source Folder..."))
        return RememberedFolder(QStringLiteral("Source"));
    if (prompt == QLatin1String("Choose Folder to Save..."))
        return RememberedFolder(QStringLiteral("Destination"));
    return RememberedFolder(QStringLiteral("Folder"));
}
