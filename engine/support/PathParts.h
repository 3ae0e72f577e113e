#pragma once

#include <QString>

class Dialogs;
class QWidget;

// Free procedures on paths and the desktop shell. Paths here use "/".

// The text after the last "/"; the whole path when it has none; empty when it
// ends in "/". An empty path raises SubscriptOutOfRange.
QString GetLastPathPart(const QString &path);

// The path up to and including its last "/"; empty when it has none.
QString GetFolderPart(const QString &path);

// Hands target to the desktop's default handler; empty text makes no call.
void ShellOpen(Dialogs &dialogs, const QString &target);

// The folder picker: the chosen path (no trailing "/" but for the root), or
// empty text on cancel or on any failure of the picker.
QString BrowseForFolder(Dialogs &dialogs, QWidget *owner, const QString &prompt);
