#pragma once

#include <QByteArray>
#include <QString>

// A mailbox name as IMAP servers store and list it (RFC 3501, 5.1.3):
// printable ASCII as it is, "&" as "&-", every other run of characters as
// UTF-16 in base64 with "," for "/", between "&" and "-".
QByteArray modifiedUtf7(const QString &name);
