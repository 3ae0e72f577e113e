#include "engine/layout/MaildirWriter.h"

#include "engine/layout/MaildirText.h"
#include "engine/mbox/OutputPieces.h"
#include "engine/message/MessageReader.h"
#include "engine/support/CreatePath.h"
#include "engine/support/FileNames.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A file in tmp/ that goes again unless it was finished.
class TmpFile {
public:
    explicit TmpFile(QByteArray path) : path_(std::move(path)) {}
    ~TmpFile()
    {
        if (!path_.isEmpty())
            ::unlink(path_.constData());
    }
    TmpFile(const TmpFile &) = delete;
    TmpFile &operator=(const TmpFile &) = delete;
    void keep() { path_.clear(); }

private:
    QByteArray path_;
};

QString makeFolder(const QString &folder, int &error)
{
    for (const char *sub : {"cur", "new", "tmp"})
        if (QString reason = createPath(folder + QLatin1String(sub), 0777, &error); !reason.isEmpty())
            return QStringLiteral("cannot create the folder ") + folder + QLatin1String(sub) + QStringLiteral(": ") + reason;
    return {};
}

// Where the file system supports it, a name already taken is never replaced;
// elsewhere a link and an unlink do the same, as Maildir delivery always did.
int moveWithoutReplacing(const QByteArray &from, const QByteArray &to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    if (::link(from.constData(), to.constData()) != 0)
        return errno;
    ::unlink(from.constData());
    return 0;
}

} // namespace

MaildirWriter::~MaildirWriter()
{
    if (!pending_.isEmpty())
        finish();
}

QString MaildirWriter::prepare(const MaildirTarget &target, int &error)
{
    for (const QString &folder : {target.root, target.folder}) {
        if (prepared_.contains(folder))
            continue;
        if (QString reason = makeFolder(folder, error); !reason.isEmpty())
            return reason;
        if (folder != target.root) {
            // Dovecot takes a folder without it for a tree of its own.
            const QString marker = folder + QStringLiteral("maildirfolder");
            const FileDescriptor fd(::open(nativeName(marker).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666));
            if (!fd.valid()) {
                error = errno;
                return QStringLiteral("cannot create ") + marker + QStringLiteral(": ") + systemReason(errno);
            }
        }
        FileDescriptor fd(::open(nativeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        struct stat status {};
        if (fd.valid() && ::fstat(fd.get(), &status) == 0 && !disks_.contains(status.st_dev))
            disks_.emplace(status.st_dev, std::move(fd));
        prepared_.insert(folder);
    }
    return {};
}

MaildirOutcome MaildirWriter::write(const MaildirTarget &target, const QString &source, MessageReader &reader,
                                    QByteArray &piece, qint64 seconds, const std::optional<MessageFlags> &flags,
                                    const std::function<void(QByteArrayView)> &textRead,
                                    const std::function<void(qint64)> &progress)
{
    MaildirOutcome outcome;
    const bool whole = piece.size() < MessageReader::PieceSize;

    if (QString reason = prepare(target, outcome.error); !reason.isEmpty()) {
        outcome.reason = reason;
        return outcome;
    }

    // The usual message is in the first piece whole: its hash, and so
    // whether it is there already, is known before anything is written.
    QByteArray hash;
    QByteArray content;
    if (whole) {
        content.reserve(piece.size() + piece.size() / 32 + 2);
        MaildirText maildirText(rules_.crlf, [&content](QByteArrayView bytes) { content.append(bytes); });
        maildirText.feed(piece);
        maildirText.finish();
        hash = maildirText.hexHash();
        if (textRead)
            textRead(piece);
        if (rules_.skipDuplicates) {
            if (QString copy = index_.copyOf(target.folder, hash); !copy.isEmpty()) {
                outcome.skipped = true;
                outcome.file = copy;
                return outcome;
            }
        }
    }

    QByteArray tmpPath;
    FileDescriptor fd;
    const QByteArray tmpFolder = nativeName(target.folder) + "tmp/";
    do {
        tmpPath = tmpFolder + QByteArray::number(seconds) + ".P" + processId_ + 'Q'
                  + QByteArray::number(++tmpCounter_) + ".quorvel";
        fd.reset(::open(tmpPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    } while (!fd.valid() && errno == EEXIST);
    if (!fd.valid()) {
        outcome.error = errno;
        outcome.reason = QStringLiteral("cannot create a message file in ") + target.folder + QStringLiteral("tmp/: ")
                         + systemReason(errno);
        return outcome;
    }
    TmpFile unfinished(tmpPath);

    int writeError = 0;
    if (whole) {
        writeError = writeFully(fd.get(), content);
        outcome.bytes = content.size();
        progress(reader.size());
    } else {
        OutputPieces out(MessageReader::StreamPieceSize, [&](QByteArrayView bytes) {
            if (writeError == 0)
                writeError = writeFully(fd.get(), bytes);
        });
        MaildirText maildirText(rules_.crlf, [&out](QByteArrayView bytes) { out.append(bytes); });
        maildirText.feed(piece);
        if (textRead)
            textRead(piece);
        qint64 read = piece.size();
        progress(read);
        while (writeError == 0) {
            if (!reader.next(piece, MessageReader::StreamPieceSize)) {
                outcome.reason = reader.failure();
                return outcome;
            }
            if (piece.isEmpty())
                break;
            maildirText.feed(piece);
            if (textRead)
                textRead(piece);
            read += piece.size();
            progress(read);
        }
        maildirText.finish();
        out.flush();
        hash = maildirText.hexHash();
        outcome.bytes = out.total();
    }
    if (writeError != 0) {
        outcome.error = writeError;
        outcome.reason = QStringLiteral("cannot write the message file: ") + systemReason(writeError);
        return outcome;
    }
    if (!whole && rules_.skipDuplicates) {
        if (QString copy = index_.copyOf(target.folder, hash); !copy.isEmpty()) {
            outcome.skipped = true;
            outcome.file = copy;
            outcome.bytes = 0;
            return outcome;
        }
    }
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    if (::futimens(fd.get(), times) != 0 || ::close(fd.release()) != 0) {
        outcome.error = errno;
        outcome.reason = QStringLiteral("cannot finish the message file: ") + systemReason(errno);
        return outcome;
    }
    const QByteArray baseName = index_.freeBaseName(target.folder, seconds, hash);
    const QString letters = lettersOf(flags);
    outcome.file = finalPath(target.folder, baseName, letters);
    index_.add(target.folder, hash, baseName, outcome.file);
    unfinished.keep();
    pending_.append({source, target.folder, tmpPath, hash, seconds, outcome.file, letters});
    pendingBytes_ += outcome.bytes;
    if (pending_.size() >= BatchFiles || pendingBytes_ >= BatchBytes)
        moveIn(failures_);
    return outcome;
}

// The maildir letters, in ASCII order: D draft, F flagged, P passed, R replied, S seen, T trashed.
QString MaildirWriter::lettersOf(const std::optional<MessageFlags> &flags) const
{
    MessageFlags kept = flags.value_or(MessageFlags{.seen = true});
    if (rules_.unread)
        kept.seen = false;
    QString letters;
    for (const auto &[set, letter] : {std::pair{kept.draft, 'D'}, {kept.flagged, 'F'}, {kept.forwarded, 'P'},
                                      {kept.answered, 'R'}, {kept.seen, 'S'}, {kept.deleted, 'T'}})
        if (set)
            letters += QLatin1Char(letter);
    return letters;
}

// A message with no flag at all is new: in new/, with no info part, as a delivery leaves it.
QString MaildirWriter::finalPath(const QString &folder, const QByteArray &baseName, const QString &letters) const
{
    if (letters.isEmpty())
        return folder + QStringLiteral("new/") + QString::fromLatin1(baseName);
    return folder + QStringLiteral("cur/") + QString::fromLatin1(baseName) + QStringLiteral(":2,") + letters;
}

QString MaildirWriter::syncDisks()
{
    for (const auto &[device, folder] : disks_)
        if (::syncfs(folder.get()) != 0)
            return systemReason(errno);
    return {};
}

void MaildirWriter::moveIn(QList<ConversionFailure> &failures)
{
    if (pending_.isEmpty())
        return;
    const QList<Pending> batch = std::exchange(pending_, {});
    pendingBytes_ = 0;
    if (const QString reason = syncDisks(); !reason.isEmpty()) {
        for (const Pending &message : batch)
            failures.append({message.source,
                             QStringLiteral("written, but not flushed to disk (%1); left in %2")
                                 .arg(reason, nameFromNative(message.tmpPath)),
                             ConversionFailure::Kind::Flush});
        return;
    }
    for (const Pending &message : batch) {
        QString target = message.file;
        int error = moveWithoutReplacing(message.tmpPath, nativeName(target));
        // Another program took the name meanwhile: the next free one.
        for (int tries = 0; error == EEXIST && tries < 100; ++tries) {
            const QByteArray taken = target.section(QLatin1Char('/'), -1).section(QLatin1Char(':'), 0, 0).toLatin1();
            index_.add(message.folder, message.hash, taken, target);
            target = finalPath(message.folder, index_.freeBaseName(message.folder, message.seconds, message.hash), message.letters);
            error = moveWithoutReplacing(message.tmpPath, nativeName(target));
        }
        if (error != 0)
            failures.append({message.source,
                             QStringLiteral("written, but not moved in from %1: %2").arg(nameFromNative(message.tmpPath), systemReason(error)),
                             ConversionFailure::Kind::Flush});
    }
}

QList<ConversionFailure> MaildirWriter::finish()
{
    QList<ConversionFailure> failures = std::exchange(failures_, {});
    moveIn(failures);
    if (const QString reason = syncDisks(); !reason.isEmpty())
        failures.append({prepared_.isEmpty() ? QString() : *prepared_.cbegin(),
                         QStringLiteral("the folders could not be flushed to disk: ") + reason, ConversionFailure::Kind::Flush});
    return failures;
}
