#pragma once

#include <QString>
#include <QStringList>

class QWidget;
class OpenDialog;

namespace MsgBoxStyle {
constexpr int OkOnly = 0;
constexpr int YesNoQuestion = 36;
constexpr int Exclamation = 48;
constexpr int Information = 64;
}

namespace MsgBoxResult {
constexpr int Ok = 1;
constexpr int Yes = 6;
constexpr int No = 7;
}

// Every modal interaction of the program goes through this one seam, so a
// test can script the answers and no real window ever pops up there.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A modal message box; returns the answer code (Ok, Yes or No).
    virtual int msgBox(const QString &prompt, int style, const QString &title) = 0;

    // The same box with more text behind a button: the complete list, where
    // the box's own text names only the first lines. A seam with no room for
    // details shows the box alone.
    virtual int msgBoxWithDetails(const QString &prompt, int style, const QString &title, const QString &details)
    {
        Q_UNUSED(details);
        return msgBox(prompt, style, title);
    }

    // The open dialog: fills dialog.FileName as the common dialog does (one full
    // path, or the folder and each name separated by NUL; empty on cancel).
    // Names that do not fit in dialog.MaxFileSize raise BufferTooSmall.
    virtual void showOpen(OpenDialog &dialog) = 0;

    // The folder picker: the chosen folder without a trailing separator (the
    // root stays "/"), or empty text on cancel.
    virtual QString pickFolder(QWidget *owner, const QString &prompt) = 0;

    // Hands a web address or document to the desktop; never waits, never reports.
    virtual void openUrl(const QString &target) = 0;
};
