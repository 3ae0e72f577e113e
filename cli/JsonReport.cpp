#include "cli/JsonReport.h"

#include "engine/support/FileDescriptor.h"
#include "engine/support/FileNames.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char *kindName(RunTally::FailureKind kind)
{
    switch (kind) {
    case RunTally::FailureKind::Folder:
        return "folder";
    case RunTally::FailureKind::Mbox:
        return "mbox";
    case RunTally::FailureKind::Message:
        break;
    }
    return "message";
}

void appendEscape(QByteArray &out, char16_t unit)
{
    static const char hex[] = "0123456789abcdef";
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4)
        out += hex[(unit >> shift) & 0xF];
}

// "  \"name\": [...],\n", one item a line.
template <typename Items, typename Item>
void appendList(QByteArray &out, const char *name, const Items &items, Item item)
{
    out += "  \"" + QByteArray(name) + "\": [";
    const char *separator = "\n    ";
    for (const auto &each : items) {
        out += separator;
        out += item(each);
        separator = ",\n    ";
    }
    out += "],\n";
}

} // namespace

QByteArray jsonString(const QString &text)
{
    QByteArray out = "\"";
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = text[i].unicode();
        if (unit == '"' || unit == '\\') {
            out += '\\';
            out += char(unit);
        } else if (unit < 0x20) {
            appendEscape(out, unit);
        } else if (QChar::isHighSurrogate(unit) && i + 1 < size && QChar::isLowSurrogate(text[i + 1].unicode())) {
            out += QStringView(text).mid(i, 2).toUtf8();
            ++i;
        } else if (QChar::isSurrogate(unit)) {
            // Not text: an escaped file name byte (or a stray surrogate).
            appendEscape(out, unit);
        } else {
            out += QStringView(text).mid(i, 1).toUtf8();
        }
    }
    out += '"';
    return out;
}

QByteArray jsonReport(const RunTally &tally)
{
    QByteArray out = "{\n  \"totals\": {";
    out += "\"listed\": " + QByteArray::number(tally.listed);
    out += ", \"written\": " + QByteArray::number(tally.written);
    out += ", \"skipped\": " + QByteArray::number(tally.skipped);
    out += ", \"failed\": " + QByteArray::number(tally.failedMessages());
    out += ", \"bytes\": " + QByteArray::number(tally.bytes) + "},\n";
    out += "  \"interrupted\": " + QByteArray(tally.interrupted ? "true" : "false") + ",\n";
    out += "  \"sources\": {";
    for (auto kind = tally.sourceKinds.cbegin(); kind != tally.sourceKinds.cend(); ++kind)
        out += (kind == tally.sourceKinds.cbegin() ? "" : ", ") + jsonString(kind.key()) + ": " + QByteArray::number(kind.value());
    out += "},\n";
    if (!tally.stoppedBy.isEmpty())
        out += "  \"stopped\": {\"reason\": " + jsonString(tally.stoppedBy) + ", \"not_tried\": " + QByteArray::number(tally.notTried) + "},\n";
    if (tally.verifyRan) {
        out += "  \"verify\": {\"checked\": " + QByteArray::number(tally.verifyChecked) + ", \"verified\": "
               + QByteArray::number(tally.verified) + "},\n";
        appendList(out, "mismatches", tally.mismatches(), [](const RunTally::Mismatch &mismatch) {
            return "{\"path\": " + jsonString(mismatch.path) + ", \"target\": " + jsonString(mismatch.target)
                   + ", \"what\": " + jsonString(mismatch.what) + ", \"detail\": " + jsonString(mismatch.detail) + "}";
        });
        appendList(out, "verify_warnings", tally.verifyWarnings(), [](const RunTally::VerifyWarning &warning) {
            return "{\"path\": " + jsonString(warning.path) + ", \"line\": " + (warning.line > 0 ? QByteArray::number(warning.line) : QByteArray("null"))
                   + ", \"what\": " + jsonString(warning.what) + "}";
        });
    }
    appendList(out, "mboxes", tally.mboxes(), [](const RunTally::Mbox &mbox) {
        return "{\"path\": " + jsonString(mbox.path) + ", \"records\": " + QByteArray::number(mbox.records)
               + ", \"bytes\": " + QByteArray::number(mbox.bytes) + "}";
    });
    appendList(out, "folders", tally.folders(), [](const RunTally::Folder &folder) {
        return "{\"path\": " + jsonString(folder.path) + ", \"written\": " + QByteArray::number(folder.written)
               + ", \"skipped\": " + QByteArray::number(folder.skipped) + ", \"failed\": "
               + QByteArray::number(folder.failed) + ", \"bytes\": " + QByteArray::number(folder.bytes) + "}";
    });
    appendList(out, "failures", tally.failures(), [](const RunTally::Failure &failure) {
        return "{\"kind\": \"" + QByteArray(kindName(failure.kind)) + "\", \"path\": " + jsonString(failure.path)
               + ", \"reason\": " + jsonString(failure.reason) + "}";
    });
    appendList(out, "repairs", tally.repairs(), [](const RunTally::Repair &repair) {
        return "{\"path\": " + jsonString(repair.path) + ", \"what\": " + jsonString(repair.text) + "}";
    });
    appendList(out, "skipped", tally.skips(), [](const RunTally::Skip &skip) {
        return "{\"path\": " + jsonString(skip.path) + ", \"mbox\": " + jsonString(skip.mbox)
               + ", \"offset\": " + QByteArray::number(skip.offset) + "}";
    });
    appendList(out, "warnings", tally.warnings(), [](const RunTally::Warning &warning) {
        return "{\"path\": " + jsonString(warning.path) + ", \"what\": " + jsonString(warning.text) + "}";
    });
    appendList(out, "left_out", tally.leftOut, [](const LeftOutFile &file) {
        return "{\"path\": " + jsonString(file.path) + ", \"why\": " + jsonString(file.why) + "}";
    });
    out.chop(2);  // the last list's ",\n"
    out += "\n}\n";
    return out;
}

QString writeJsonReport(const QString &path, const RunTally &tally)
{
    const QByteArray json = jsonReport(tally);
    QByteArray native = nativeName(path);
    struct stat status {};
    const bool exists = ::stat(native.constData(), &status) == 0;
    if (exists && !S_ISREG(status.st_mode)) {
        // A pipe or a terminal: nothing to replace.
        const FileDescriptor stream(::open(native.constData(), O_WRONLY | O_NOCTTY | O_CLOEXEC));
        if (stream.get() < 0)
            return systemReason(errno);
        const int error = writeFully(stream.get(), json);
        return error ? systemReason(error) : QString();
    }
    // A link is followed, so the file it names gets the report, not the link.
    if (exists) {
        if (char *real = ::realpath(native.constData(), nullptr)) {
            native = real;
            std::free(real);
        }
    }
    // Written whole beside its place, then renamed into it: a run that fails
    // midway leaves the old report, never half of a new one.
    const qsizetype slash = native.lastIndexOf('/');
    QByteArray temporary = native.left(slash + 1) + '.' + native.mid(slash + 1) + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return systemReason(errno);
    const FileDescriptor stream(fd);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    int error = writeFully(fd, json);
    if (error == 0 && ::fchmod(fd, exists ? status.st_mode & 07777 : 0666 & ~mask) != 0)
        error = errno;
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (error == 0 && ::rename(temporary.constData(), native.constData()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temporary.constData());
        return systemReason(error);
    }
    return {};
}
