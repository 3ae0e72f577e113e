#include "window/commands/Manual.h"

#include <QCoreApplication>
#include <QFileInfo>

QString manualPath()
{
    // Relative to the program, so an installation under any prefix finds its own.
    const QString programFolder = QCoreApplication::applicationDirPath();
    for (const QString &folder : {QStringLiteral(QUORVEL_DOC_FROM_BIN), QStringLiteral("../docs")}) {
        const QFileInfo manual(programFolder + QLatin1Char('/') + folder + QStringLiteral("/manual.html"));
        if (manual.isFile())
            return manual.canonicalFilePath();
    }
    return {};
}
