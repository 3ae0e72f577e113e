#include "engine/message/MessageReader.h"

#include "engine/support/FileNames.h"
#include "engine/support/RegularFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QDateTime modificationTime(const struct stat &info)
{
    return QDateTime::fromSecsSinceEpoch(info.st_mtim.tv_sec, Qt::UTC);
}

} // namespace

MessageReader::MessageReader(const QString &path)
{
    RegularFile file = openRegularFile(path);
    if (file.error != 0) {
        failure_ = QStringLiteral("cannot open the message: ") + file.failure;
        struct stat info {};
        if (::stat(nativeName(path).constData(), &info) == 0)
            modified_ = modificationTime(info);
        return;
    }
    modified_ = modificationTime(file.info);
    if (!file.ok()) {
        failure_ = S_ISDIR(file.info.st_mode) ? QStringLiteral("is a folder, not a message file") : file.failure;
        return;
    }
    fd_ = std::move(file.fd);
    size_ = file.info.st_size;
}

MessageReader::MessageReader(const QString &path, qint64 offset, qint64 length) : MessageReader(path)
{
    if (!ok())
        return;
    if (offset < 0 || length < 0 || offset + length > size_) {
        failure_ = QStringLiteral("the message lies past the end of its file");
        return;
    }
    if (::lseek(fd_.get(), off_t(offset), SEEK_SET) < 0) {
        failure_ = QStringLiteral("cannot read the message: ") + systemReason(errno);
        return;
    }
    size_ = limit_ = length;
}

MessageReader MessageReader::fromBytes(QByteArray bytes, const QDateTime &modified)
{
    MessageReader reader;
    reader.fromMemory_ = true;
    reader.size_ = reader.limit_ = bytes.size();
    reader.held_ = std::move(bytes);
    reader.modified_ = modified;
    return reader;
}

void MessageReader::undoFromQuoting()
{
    unquoter_.emplace();
}

qint64 MessageReader::read(char *target, qint64 room)
{
    if (!ok())
        return -1;
    if (limit_ >= 0)
        room = qMin(room, limit_ - position_);
    if (atEnd_ || room == 0)
        return 0;
    if (fromMemory_) {
        std::memcpy(target, held_.constData() + position_, size_t(room));
        position_ += room;
        return room;
    }
    for (;;) {
        const ssize_t got = ::read(fd_.get(), target, size_t(room));
        if (got >= 0) {
            position_ += got;
            atEnd_ = got < room && position_ >= size_;
            return got;
        }
        if (errno != EINTR) {
            failure_ = QStringLiteral("cannot read the message: ") + systemReason(errno);
            return -1;
        }
    }
}

bool MessageReader::next(QByteArray &piece, qint64 atMost)
{
    if (unquoter_) {
        // Undoing takes bytes away: read until there is something to hand on, or
        // the end. resize, not clear: the buffer is kept from piece to piece.
        piece.resize(0);
        piece.reserve(atMost + 64);
        while (piece.isEmpty()) {
            if (!readPiece(raw_, atMost)) {
                piece.resize(0);
                return false;
            }
            if (raw_.isEmpty()) {
                unquoter_->finish(piece);
                return true;
            }
            unquoter_->feed(raw_, piece);
        }
        return true;
    }
    return readPiece(piece, atMost);
}

bool MessageReader::readPiece(QByteArray &piece, qint64 atMost)
{
    piece.resize(atMost);
    qint64 filled = 0;
    while (filled < atMost) {
        const qint64 got = read(piece.data() + filled, atMost - filled);
        if (got < 0) {
            piece.clear();
            return false;
        }
        if (got == 0)
            break;
        filled += got;
    }
    piece.resize(filled);
    return true;
}
