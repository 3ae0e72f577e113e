#pragma once

#include <QString>

class Dialogs;
class QWidget;

// Hands target to the desktop's default handler; empty text makes no call.
void shellOpen(Dialogs &dialogs, const QString &target);

// The folder picker: the chosen path (no trailing "/" but for the root), or
// empty text on cancel or on any failure of the picker.
QString browseForFolder(Dialogs &dialogs, QWidget *owner, const QString &prompt);
