#pragma once

#include "engine/message/FromUnquoter.h"
#include "engine/support/FileDescriptor.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>

// One message file, read from its start in pieces, so that a message of any
// size takes no more memory than one piece. Only regular files are read: a
// FIFO or a device named like a message is refused without ever blocking on it.
class MessageReader {
public:
    // The first piece a conversion reads: the header block fits in it.
    static constexpr qint64 PieceSize = 1024 * 1024;
    // The pieces after it: reading, quoting and writing through a buffer that
    // stays in the processor's cache costs a quarter of what a 1 MiB one does.
    static constexpr qint64 StreamPieceSize = 128 * 1024;

    explicit MessageReader(const QString &path);
    // Only the bytes [offset, offset + length) of the file: one message of a
    // file that holds more (an mbox, Apple Mail's .emlx).
    MessageReader(const QString &path, qint64 offset, qint64 length);
    // A message put together in memory (Apple Mail's partial message with its
    // attachments back in place); modified stands for its file's time.
    static MessageReader fromBytes(QByteArray bytes, const QDateTime &modified);

    // An mbox's record: its quoting is undone as it is read (FromUnquoter).
    void undoFromQuoting();

    bool ok() const { return failure_.isEmpty(); }
    QString failure() const { return failure_; }
    qint64 size() const { return size_; }           // as the file system gave it at the open, or the range's length
    QDateTime modified() const { return modified_; }  // UTC; invalid when not even that could be learnt

    // Reads up to room bytes into target; 0 at the end of the file, -1 on a
    // read error (failure() then says why).
    [[nodiscard]] qint64 read(char *target, qint64 room);
    // Fills piece with the next bytes, at most atMost; empty at the end.
    // False on a read error.
    [[nodiscard]] bool next(QByteArray &piece, qint64 atMost = PieceSize);

private:
    MessageReader() = default;
    [[nodiscard]] bool readPiece(QByteArray &piece, qint64 atMost);

    FileDescriptor fd_;
    QString failure_;
    qint64 size_ = 0;
    QDateTime modified_;
    qint64 position_ = 0;
    qint64 limit_ = -1;    // a range's length; -1: to the file's end
    QByteArray held_;      // fromBytes: the message itself
    bool fromMemory_ = false;
    std::optional<FromUnquoter> unquoter_;
    QByteArray raw_;       // with an unquoter: the bytes before it
    bool atEnd_ = false;  // a short read at or past the size: no need to ask again
};
