#include "window/dialogs/QtDialogs.h"

#include "window/RememberedFolder.h"
#include "window/widgets/ScreenFit.h"
#include "window/dialogs/OpenDialog.h"
#include "engine/support/FileNames.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QScreen>
#include <QUrl>

namespace {
QMessageBox::Icon IconOf(int style)
{
    switch (style & 0xF0) {
    case 0x10: return QMessageBox::Critical;
    case 0x20: return QMessageBox::Question;
    case 0x30: return QMessageBox::Warning;
    case 0x40: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

QString QtFilter(const OpenDialog &dialog)
{
    const QString description = dialog.FilterDescription();
    const QString pattern = dialog.FilterPattern();
    if (pattern.isEmpty() || description.contains(QLatin1Char('(')))
        return description;
    return description + QStringLiteral(" (") + pattern + QLatin1Char(')');
}
}

int QtDialogs::MsgBox(const QString &prompt, int style, const QString &title)
{
    return MsgBoxWithDetails(prompt, style, title, QString());
}

int QtDialogs::MsgBoxWithDetails(const QString &prompt, int style, const QString &title, const QString &details)
{
    QWidget *owner = QApplication::activeWindow();
    QMessageBox box(IconOf(style), title, QString(), QMessageBox::NoButton, owner);
    // A path with "<" in it is no markup.
    box.setTextFormat(Qt::PlainText);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    const QScreen *screen = owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
    box.setText(screen ? FitMessageBoxText(prompt, QFontMetrics(box.font()), *screen) : prompt);
    if (!details.isEmpty())
        box.setDetailedText(details);
    if ((style & 0xF) == 4) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? MsgBoxResult::Yes : MsgBoxResult::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return MsgBoxResult::Ok;
}

void QtDialogs::ShowOpen(OpenDialog &dialog)
{
    const bool several = dialog.Flags & OpenDialog::AllowMultiSelect;
    const RememberedFolder remembered = RememberedFolder::Open();
    const QString start = remembered.StartFolder();
    QStringList picked;
    if (several) {
        picked = QFileDialog::getOpenFileNames(QApplication::activeWindow(), QString(), start, QtFilter(dialog));
    } else {
        const QString one = QFileDialog::getOpenFileName(QApplication::activeWindow(), QString(), start, QtFilter(dialog));
        if (!one.isEmpty())
            picked.append(one);
    }
    for (QString &path : picked)
        path = PathFromLossyName(path);
    if (!picked.isEmpty())
        remembered.Remember(QFileInfo(picked.first()).path());
    dialog.StoreSelection(picked);
}

QString QtDialogs::PickFolder(QWidget *owner, const QString &prompt)
{
    const RememberedFolder remembered = RememberedFolder::ForPicker(prompt);
    QString folder = QFileDialog::getExistingDirectory(owner, prompt, remembered.StartFolder(), QFileDialog::ShowDirsOnly);
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    folder = PathFromLossyName(folder);
    remembered.Remember(folder);
    return folder;
}

void QtDialogs::OpenUrl(const QString &target)
{
    QDesktopServices::openUrl(QUrl::fromUserInput(target));
}
