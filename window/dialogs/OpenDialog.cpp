#include "window/dialogs/OpenDialog.h"

#include "window/RunTimeError.h"
#include "window/dialogs/Dialogs.h"

#include <QFileInfo>

void OpenDialog::showOpen()
{
    FileName.clear();
    dialogs_.showOpen(*this);
}

QString OpenDialog::filterDescription() const
{
    return Filter.section(QLatin1Char('|'), 0, 0);
}

QString OpenDialog::filterPattern() const
{
    return Filter.section(QLatin1Char('|'), 1, 1);
}

void OpenDialog::storeSelection(const QStringList &fullPaths)
{
    FileName.clear();
    if (fullPaths.isEmpty())
        return;
    const QChar nul(u'\0');
    QString text;
    int fitted = 0;
    if (fullPaths.size() == 1) {
        text = fullPaths.first();
        fitted = text.size() < MaxFileSize ? 1 : 0;
    } else {
        text = QFileInfo(fullPaths.first()).path();
        for (const QString &path : fullPaths) {
            const QString piece = nul + QFileInfo(path).fileName();
            // One character stays free for the terminating NUL.
            if (fitted == int(&path - fullPaths.data()) && text.size() + piece.size() < MaxFileSize)
                ++fitted;
            text += piece;
        }
    }
    // The buffer also holds the terminating NUL.
    if (text.size() >= MaxFileSize) {
        FilesThatFit = fitted;
        throw RunTimeError(ErrorNumber::BufferTooSmall,
                           QStringLiteral("The file name buffer is too small to hold the names picked"));
    }
    FileName = text;
}
