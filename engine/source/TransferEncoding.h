#pragma once

#include <QByteArray>

// bytes encoded for a MIME part's body as its Content-Transfer-Encoding says:
// base64 in lines of 76, quoted-printable (every line break encoded too, so the
// bytes decode back exactly), anything else as they are. lineEnd is the
// message's own, "\r\n" or "\n".
QByteArray encodeForTransfer(const QByteArray &bytes, const QByteArray &encoding, const QByteArray &lineEnd);
