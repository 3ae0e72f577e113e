#include "engine/support/PathParts.h"

#include "window/dialogs/Dialogs.h"
#include "engine/support/RunTimeError.h"

QString GetLastPathPart(const QString &path)
{
    if (path.isEmpty())
        throw RunTimeError(ErrorNumber::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString GetFolderPart(const QString &path)
{
    return path.left(path.size() - GetLastPathPart(path).size());
}

void ShellOpen(Dialogs &dialogs, const QString &target)
{
    if (target == QString())
        return;
    dialogs.OpenUrl(target);
}

QString BrowseForFolder(Dialogs &dialogs, QWidget *owner, const QString &prompt)
{
    try {
        return dialogs.PickFolder(owner, prompt);
    } catch (const std::exception &) {
        return {};
    }
}
