#pragma once

#include "window/dialogs/Dialogs.h"

// The real dialogs: Qt's message box, file dialog and folder picker, and the
// desktop's URL handler.
class QtDialogs final : public Dialogs {
public:
    int msgBox(const QString &prompt, int style, const QString &title) override;
    // Selectable text, shortened to fit the screen; the details keep it whole.
    int msgBoxWithDetails(const QString &prompt, int style, const QString &title, const QString &details) override;
    void showOpen(OpenDialog &dialog) override;
    QString pickFolder(QWidget *owner, const QString &prompt) override;
    void openUrl(const QString &target) override;
};
