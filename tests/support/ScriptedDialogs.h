#pragma once

#include "window/dialogs/Dialogs.h"

#include <QList>
#include <QQueue>
#include <QString>
#include <functional>
#include <optional>

// The dialog seam for tests: records every box and call, answers from queues,
// never shows a window. An empty answer queue gives the box's first button
// (OK, or Yes for a Yes/No box), a cancelled picker, or a cancelled open dialog.
class ScriptedDialogs final : public Dialogs {
public:
    struct Box {
        QString prompt;
        int style = 0;
        QString title;
        QString details;
    };

    // What one showOpen does: put text into FileName, or raise an error.
    struct OpenAnswer {
        QString fileName;
        int errorNumber = 0;   // non-zero: raise this error instead
        int filesThatFit = 0;
    };

    QList<Box> boxes;
    QStringList folderPrompts;
    QStringList openedUrls;
    int openDialogsShown = 0;
    QString lastFilter;
    int lastFlags = 0;
    int lastMaxFileSize = 0;

    QQueue<int> msgBoxAnswers;
    QQueue<OpenAnswer> openAnswers;
    QQueue<QString> folderAnswers;

    // Runs while a box is "shown", before it answers (e.g. to close the window).
    std::function<void(const Box &)> onMsgBox;

    int msgBox(const QString &prompt, int style, const QString &title) override;
    int msgBoxWithDetails(const QString &prompt, int style, const QString &title, const QString &details) override;
    void showOpen(OpenDialog &dialog) override;
    QString pickFolder(QWidget *owner, const QString &prompt) override;
    void openUrl(const QString &target) override;
};
