#include "cli/JsonReport.h"

#include "modules/FileDescriptor.h"
#include "modules/FileNames.h"

#include <cerrno>
#include <cstdio>

namespace {

const char *KindName(RunTally::FailureKind kind)
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

void AppendEscape(QByteArray &out, char16_t unit)
{
    static const char hex[] = "0123456789abcdef";
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4)
        out += hex[(unit >> shift) & 0xF];
}

} // namespace

QByteArray JsonString(const QString &text)
{
    QByteArray out = "\"";
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = text[i].unicode();
        if (unit == '"' || unit == '\\') {
            out += '\\';
            out += char(unit);
        } else if (unit < 0x20) {
            AppendEscape(out, unit);
        } else if (QChar::isHighSurrogate(unit) && i + 1 < size && QChar::isLowSurrogate(text[i + 1].unicode())) {
            out += QStringView(text).mid(i, 2).toUtf8();
            ++i;
        } else if (QChar::isSurrogate(unit)) {
            // Not text: an escaped file name byte (or a stray surrogate).
            AppendEscape(out, unit);
        } else {
            out += QStringView(text).mid(i, 1).toUtf8();
        }
    }
    out += '"';
    return out;
}

QByteArray JsonReport(const RunTally &tally)
{
    QByteArray out = "{\n  \"totals\": {";
    out += "\"listed\": " + QByteArray::number(tally.listed);
    out += ", \"written\": " + QByteArray::number(tally.written);
    out += ", \"skipped\": " + QByteArray::number(tally.skipped);
    out += ", \"failed\": " + QByteArray::number(tally.FailedMessages());
    out += ", \"bytes\": " + QByteArray::number(tally.bytes) + "},\n";
    out += "  \"interrupted\": " + QByteArray(tally.interrupted ? "true" : "false") + ",\n";
    out += "  \"mboxes\": [";
    const char *separator = "\n    ";
    for (const RunTally::Mbox &mbox : tally.Mboxes()) {
        out += separator;
        out += "{\"path\": " + JsonString(mbox.path) + ", \"records\": " + QByteArray::number(mbox.records)
             + ", \"bytes\": " + QByteArray::number(mbox.bytes) + "}";
        separator = ",\n    ";
    }
    out += "],\n  \"failures\": [";
    separator = "\n    ";
    for (const RunTally::Failure &failure : tally.Failures()) {
        out += separator;
        out += "{\"kind\": \"" + QByteArray(KindName(failure.kind)) + "\", \"path\": " + JsonString(failure.path)
             + ", \"reason\": " + JsonString(failure.reason) + "}";
        separator = ",\n    ";
    }
    out += "],\n  \"repairs\": [";
    separator = "\n    ";
    for (const RunTally::Repair &repair : tally.Repairs()) {
        out += separator;
        out += "{\"path\": " + JsonString(repair.path) + ", \"what\": " + JsonString(repair.text) + "}";
        separator = ",\n    ";
    }
    out += "],\n  \"skipped\": [";
    separator = "\n    ";
    for (const RunTally::Skip &skip : tally.Skips()) {
        out += separator;
        out += "{\"path\": " + JsonString(skip.path) + ", \"mbox\": " + JsonString(skip.mbox)
             + ", \"offset\": " + QByteArray::number(skip.offset) + "}";
        separator = ",\n    ";
    }
    out += "],\n  \"warnings\": [";
    separator = "\n    ";
    for (const RunTally::Warning &warning : tally.Warnings()) {
        out += separator;
        out += "{\"path\": " + JsonString(warning.path) + ", \"what\": " + JsonString(warning.text) + "}";
        separator = ",\n    ";
    }
    out += "]\n}\n";
    return out;
}

QString WriteJsonReport(const QString &path, const RunTally &tally)
{
    const QByteArray native = NativeName(path);
    FILE *stream = std::fopen(native.constData(), "wb");
    if (!stream)
        return SystemReason(errno);
    const QByteArray json = JsonReport(tally);
    const bool written = std::fwrite(json.constData(), 1, size_t(json.size()), stream) == size_t(json.size());
    const int error = errno;
    if (std::fclose(stream) != 0 || !written)
        return SystemReason(written ? errno : error);
    return {};
}
