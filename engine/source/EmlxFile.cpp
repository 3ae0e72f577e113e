#include "engine/source/EmlxFile.h"

#include "engine/support/FileDescriptor.h"
#include "engine/support/FileNames.h"
#include "engine/support/RegularFile.h"

#include <QXmlStreamReader>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A property list longer than this is no Apple Mail one.
constexpr qint64 PropertyListLimit = 1024 * 1024;
constexpr qint64 LengthLineLimit = 32;

QString readAt(int fd, qint64 offset, qint64 length, QByteArray &bytes)
{
    bytes.resize(length);
    qint64 got = 0;
    if (const int error = readFullyAt(fd, offset, bytes.data(), length, got); error != 0)
        return systemReason(error);
    bytes.truncate(got);
    return {};
}

} // namespace

MessageFlags EmlxFile::flagsFrom(qint64 bits)
{
    MessageFlags flags;
    flags.seen = bits & (1 << 0);
    flags.deleted = bits & (1 << 1);
    flags.answered = bits & (1 << 2);
    flags.flagged = bits & (1 << 4);
    flags.draft = bits & (1 << 6);
    flags.forwarded = bits & (1 << 8);
    return flags;
}

qint64 EmlxFile::flagsIn(const QByteArray &propertyList)
{
    // The top dictionary's "flags" key; nested dictionaries are not looked into.
    QXmlStreamReader xml(propertyList);
    int depth = 0;
    bool keyIsFlags = false;
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement:
            if (xml.name() == QLatin1String("dict")) {
                ++depth;
            } else if (depth == 1 && xml.name() == QLatin1String("key")) {
                keyIsFlags = xml.readElementText() == QLatin1String("flags");
            } else if (depth == 1 && keyIsFlags) {
                bool ok = false;
                const qint64 value = xml.name() == QLatin1String("integer") ? xml.readElementText().trimmed().toLongLong(&ok) : -1;
                return ok && value >= 0 ? value : -1;
            }
            break;
        case QXmlStreamReader::EndElement:
            if (xml.name() == QLatin1String("dict"))
                --depth;
            break;
        default:
            break;
        }
    }
    return -1;
}

EmlxFile EmlxFile::open(const QString &path)
{
    EmlxFile file;
    file.partial = path.endsWith(QLatin1String(".partial.emlx"), Qt::CaseInsensitive);
    const RegularFile opened = openRegularFile(path);
    if (!opened.ok()) {
        file.failure = opened.failure;
        return file;
    }
    const FileDescriptor &fd = opened.fd;
    const struct stat &info = opened.info;
    QByteArray head;
    if (const QString why = readAt(fd.get(), 0, LengthLineLimit, head); !why.isEmpty()) {
        file.failure = why;
        return file;
    }
    const qsizetype lineEnd = head.indexOf('\n');
    bool ok = false;
    const qint64 length = lineEnd > 0 ? head.left(lineEnd).trimmed().toLongLong(&ok) : -1;
    if (!ok || length < 0 || lineEnd + 1 + length > info.st_size) {
        file.failure = QStringLiteral("not an Apple Mail message file: no message length on its first line, or a length past its end");
        return file;
    }
    file.messageOffset = lineEnd + 1;
    file.messageLength = length;
    const qint64 rest = info.st_size - file.messageOffset - length;
    QByteArray propertyList;
    if (rest > 0 && rest <= PropertyListLimit) {
        if (const QString why = readAt(fd.get(), file.messageOffset + length, rest, propertyList); !why.isEmpty()) {
            file.failure = why;
            return file;
        }
    }
    const qint64 bits = flagsIn(propertyList);
    file.flags = flagsFrom(bits < 0 ? 0 : bits);
    return file;
}
