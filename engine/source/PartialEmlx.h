#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Apple Mail keeps a message whose attachments it did not download as
// N.partial.emlx: the MIME tree is whole, the attachments' parts are stubs,
// and their bytes lie in Attachments/N/<part number>/<file name> beside the
// Messages folder.
struct RestoredMessage {
    QByteArray bytes;
    QStringList missingParts;  // stub parts whose file was not there: the message is incomplete
    QString failure;           // a file that is there but could not be read
};

// message: the bytes of N.partial.emlx's message; attachmentsFolder: the
// message's own Attachments/N folder.
RestoredMessage restorePartialMessage(const QByteArray &message, const QString &attachmentsFolder);

// Attachments/N beside the Messages folder of an .emlx path, N its number.
QString attachmentsFolderOf(const QString &emlxPath);
