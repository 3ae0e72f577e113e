#include "window/MainWindow.h"

#include "window/RunTimeError.h"
#include "window/dialogs/Dialogs.h"

namespace {
const QChar Nul(u'\0');
constexpr int OpenFlags = OpenDialog::AllowMultiSelect | OpenDialog::Explorer;
constexpr int NameBufferSize = 1000;
}

void MainWindow::addFiles()
{
    try {
        // The list is replaced, also when the dialog is cancelled.
        resetMessageList();
        fileDialog.FileName = QString();
        fileDialog.Filter = QStringLiteral("Mac Mail Messages (*.eml)|*.eml");
        fileDialog.Flags = OpenFlags;
        fileDialog.MaxFileSize = NameBufferSize;
        fileDialog.showOpen();
        if (fileDialog.FileName.isEmpty())
            return;

        QString selection = fileDialog.FileName;
        yielder().yield();
        if (!selection.endsWith(Nul))
            selection += Nul;
        setConvertAvailable(true);

        // Pieces: the folder, then each name; or one full path alone. The
        // piece after the final NUL is always empty and never used.
        const QStringList pieces = selection.split(Nul);
        const qsizetype last = pieces.size() - 1;
        const QString prefix = last > 1 ? pieces.first() + QLatin1Char('/') : QString();
        for (qsizetype k = 0; k < last; ++k) {
            if (!prefix.isEmpty() && k == 0)
                continue;
            yielder().yield();
            addMessagePath(prefix + pieces.at(k));
        }
    } catch (const RunTimeError &error) {
        const QString text = error.number() == ErrorNumber::BufferTooSmall
                                 ? QStringLiteral("Please select only ") + QString::number(fileDialog.FilesThatFit)
                                       + QStringLiteral(" files at a time")
                                 : error.text();
        showBox(text, MsgBoxStyle::Exclamation, applicationTitle());
    }
}
