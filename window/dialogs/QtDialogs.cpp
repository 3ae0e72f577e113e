#include "window/dialogs/QtDialogs.h"

#include "window/dialogs/LossyName.h"
#include "window/dialogs/OpenDialog.h"
#include "window/RememberedFolder.h"
#include "window/widgets/ScreenFit.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QScreen>
#include <QUrl>

namespace {
QMessageBox::Icon iconOf(int style)
{
    switch (style & 0xF0) {
    case 0x10: return QMessageBox::Critical;
    case 0x20: return QMessageBox::Question;
    case 0x30: return QMessageBox::Warning;
    case 0x40: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

QString qtFilter(const OpenDialog &dialog)
{
    const QString description = dialog.filterDescription();
    const QString pattern = dialog.filterPattern();
    if (pattern.isEmpty() || description.contains(QLatin1Char('(')))
        return description;
    return description + QStringLiteral(" (") + pattern + QLatin1Char(')');
}
}

int QtDialogs::msgBox(const QString &prompt, int style, const QString &title)
{
    return msgBoxWithDetails(prompt, style, title, QString());
}

int QtDialogs::msgBoxWithDetails(const QString &prompt, int style, const QString &title, const QString &details)
{
    QWidget *owner = QApplication::activeWindow();
    QMessageBox box(iconOf(style), title, QString(), QMessageBox::NoButton, owner);
    // A path with "<" in it is no markup.
    box.setTextFormat(Qt::PlainText);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    const QScreen *screen = owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
    box.setText(screen ? fitMessageBoxText(prompt, QFontMetrics(box.font()), *screen) : prompt);
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

void QtDialogs::showOpen(OpenDialog &dialog)
{
    const bool several = dialog.Flags & OpenDialog::AllowMultiSelect;
    const RememberedFolder remembered = RememberedFolder::open();
    const QString start = remembered.startFolder();
    QStringList picked;
    if (several) {
        picked = QFileDialog::getOpenFileNames(QApplication::activeWindow(), QString(), start, qtFilter(dialog));
    } else {
        const QString one = QFileDialog::getOpenFileName(QApplication::activeWindow(), QString(), start, qtFilter(dialog));
        if (!one.isEmpty())
            picked.append(one);
    }
    for (QString &path : picked)
        path = pathFromLossyName(path);
    if (!picked.isEmpty())
        remembered.remember(QFileInfo(picked.first()).path());
    dialog.storeSelection(picked);
}

QString QtDialogs::pickFolder(QWidget *owner, const QString &prompt)
{
    const RememberedFolder remembered = RememberedFolder::forPicker(prompt);
    QString folder = QFileDialog::getExistingDirectory(owner, prompt, remembered.startFolder(), QFileDialog::ShowDirsOnly);
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    folder = pathFromLossyName(folder);
    remembered.remember(folder);
    return folder;
}

void QtDialogs::openUrl(const QString &target)
{
    QDesktopServices::openUrl(QUrl::fromUserInput(target));
}
