#pragma once

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <functional>

// The identities (see MessageIdentity) already in each mbox a run appends to:
// read from the file the first time the run asks about it, which it does
// under the mbox's lock, and kept up to date as the run appends.
class KnownIdentities {
public:
    // Throws RunTimeError when the mbox cannot be read. betweenPieces is a
    // yield point while it is.
    bool Contains(const QString &mboxFile, const QByteArray &identity, const std::function<void()> &betweenPieces);
    void Add(const QString &mboxFile, const QByteArray &identity);

private:
    QHash<QString, QSet<QByteArray>> known_;
};

// The identity of a message file whose first piece has been read. The rest
// is read (from the start, in pieces) only when the first piece does not
// settle it: no Message-ID in a header block that ends within it. Throws
// RunTimeError when the file cannot be read.
QByteArray SourceIdentity(const QString &path, QByteArrayView firstPiece, qint64 fileSize,
                          const std::function<void()> &betweenPieces);
