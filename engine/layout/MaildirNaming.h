#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

// Where one message goes in a Maildir++ tree: the root is the INBOX, every
// other folder a directory ".A.B" in the root for the folder B inside A.
struct MaildirTarget {
    QString root;    // ends in "/"
    QString folder;  // ends in "/"; the root itself for the INBOX
};

// ".A.B" for the levels {A, B}, each in IMAP's modified UTF-7; a dot inside a
// name, which would split it into levels, becomes U+2024 ONE DOT LEADER, which
// looks the same. Empty for no levels (the INBOX).
QByteArray maildirFolderName(QStringList levels);

// A message's base name, "<time>.H<hash>[_<copy>].quorvel": the time is the
// message's date, the hash its text's (see MaildirText), copy counts further
// copies of the same text in one folder from 2.
QByteArray maildirBaseName(qint64 seconds, QByteArrayView hexHash, int copy = 1);

// The hash in a file name made by maildirBaseName, flags or not; empty for
// any other name.
QByteArray hashInMaildirName(QByteArrayView fileName);
