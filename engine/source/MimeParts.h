#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// A message's MIME parts where they lie in its bytes, numbered as IMAP
// numbers them (1, 2, 2.1, ...). Read from the raw bytes, not rebuilt: a part
// can be replaced without changing a byte elsewhere.
struct MimePart {
    QString number;
    qsizetype bodyStart = 0;  // == bodyEnd and !hasBody: the part is a header block only
    qsizetype bodyEnd = 0;
    bool hasBody = true;
    QByteArray transferEncoding;  // lower case, empty when none
    QByteArray fileName;      // the filename or name parameter, as written
    bool appleStub = false;   // Apple Mail left its content out (X-Apple-Content-Length)
};

// The leaf parts (no multiparts) of message, in order.
QList<MimePart> mimeLeafParts(const QByteArray &message);

// The value of a header field in a header block (unfolded), empty when absent.
QByteArray headerField(QByteArrayView header, QByteArrayView name);
// A parameter of a structured field value (boundary, filename, name), unquoted.
QByteArray fieldParameter(QByteArrayView value, QByteArrayView name);
