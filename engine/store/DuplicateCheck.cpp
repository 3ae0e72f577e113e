#include "engine/store/DuplicateCheck.h"

#include "engine/mbox/MboxIdentities.h"
#include "engine/message/EnvelopeSkip.h"
#include "engine/message/MessageIdentity.h"
#include "engine/message/MessageReader.h"
#include "engine/source/SourceMessage.h"
#include "engine/support/Failure.h"
#include "engine/support/FileDescriptor.h"
#include "engine/support/FileNames.h"

#include <cerrno>
#include <sys/stat.h>

qint64 KnownIdentities::find(const QString &mboxFile, const QByteArray &identity,
                            const std::function<void()> &betweenPieces)
{
    Mbox &box = known_[mboxFile];
    struct stat info {};
    if (::stat(nativeName(mboxFile).constData(), &info) != 0) {
        if (errno != ENOENT)
            throw Failure(FailureKind::Unreadable,
                          QStringLiteral("cannot read the mbox file for the messages in it: ") + systemReason(errno));
        if (box.readTo > 0)  // gone since it was read; what a dry run listed for it stays
            box = Mbox();
    } else {
        if (info.st_dev != box.device || info.st_ino != box.inode || info.st_size < box.readTo) {
            box = Mbox();
            box.device = info.st_dev;
            box.inode = info.st_ino;
        }
        if (info.st_size > box.readTo) {
            if (box.offsets.value(box.lastIdentity, NotThere) == box.lastRecord)
                box.offsets.remove(box.lastIdentity);
            const MboxScan scan = readMboxIdentities(mboxFile, [&](const QByteArray &one, qint64 offset) {
                if (!box.offsets.contains(one))
                    box.offsets.insert(one, offset);
                box.lastRecord = offset;
                box.lastIdentity = one;
            }, rule_, box.lastRecord, betweenPieces);
            if (!scan.failure.isEmpty())
                throw Failure(FailureKind::Unreadable,
                              QStringLiteral("cannot read the mbox file for the messages in it: ") + scan.failure);
            box.readTo = scan.end;
        }
    }
    return box.offsets.value(identity, NotThere);
}

void KnownIdentities::appended(const QString &mboxFile, const QByteArray &identity, qint64 offset, qint64 bytes)
{
    Mbox &box = known_[mboxFile];
    if (!box.offsets.contains(identity))
        box.offsets.insert(identity, offset);
    box.readTo += bytes;
    box.lastRecord = offset;
    box.lastIdentity = identity;
}

void KnownIdentities::listed(const QString &mboxFile, const QByteArray &identity)
{
    Mbox &box = known_[mboxFile];
    if (!box.offsets.contains(identity))
        box.offsets.insert(identity, ListedEarlier);
}

QByteArray sourceIdentity(const SourceMessage &entry, QByteArrayView firstPiece, qint64 fileSize, DuplicateRule rule,
                          const std::function<void()> &betweenPieces)
{
    MessageIdentity identity(rule);
    EnvelopeSkip envelope;  // the record leaves the envelope line out
    const auto toIdentity = [&](QByteArrayView text) { identity.feed(text); };
    envelope.feed(firstPiece, toIdentity);
    if (identity.known() || firstPiece.size() >= fileSize) {
        envelope.finish(toIdentity);
        return identity.finish();
    }

    identity.reset();
    envelope = EnvelopeSkip();
    MessageReader reader = openMessage(entry);
    QByteArray piece;
    while (reader.ok() && reader.next(piece, MessageReader::StreamPieceSize) && !piece.isEmpty()) {
        envelope.feed(piece, toIdentity);
        if (identity.known())
            break;
        if (betweenPieces)
            betweenPieces();
    }
    if (!reader.ok())
        throw Failure(FailureKind::Unreadable, reader.failure());
    envelope.finish(toIdentity);
    return identity.finish();
}

qint64 findCopyOf(const SourceMessage &entry, const QString &mboxFile, KnownIdentities &known,
                  const std::function<void()> &betweenPieces)
{
    MessageReader reader = openMessage(entry);
    QByteArray firstPiece;
    if (!reader.ok() || !reader.next(firstPiece))
        throw Failure(FailureKind::Unreadable, reader.failure());
    const QByteArray identity = sourceIdentity(entry, firstPiece, reader.size(), known.rule(), betweenPieces);
    const qint64 found = known.find(mboxFile, identity, betweenPieces);
    if (found == KnownIdentities::NotThere)
        known.listed(mboxFile, identity);
    return found;
}
