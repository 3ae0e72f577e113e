#include "engine/source/MimeParts.h"

namespace {

// Where the header block of bytes[start, end) ends, and where the body starts.
struct Split {
    qsizetype headerEnd;
    qsizetype bodyStart;
    bool hasBody;
};

Split splitHeader(const QByteArray &bytes, qsizetype start, qsizetype end)
{
    if (start < end && (bytes[start] == '\n' || (bytes[start] == '\r' && start + 1 < end && bytes[start + 1] == '\n')))
        return {start, start + (bytes[start] == '\n' ? 1 : 2), true};
    for (qsizetype at = start; at < end; ++at) {
        if (bytes[at] != '\n')
            continue;
        if (at + 1 < end && bytes[at + 1] == '\n')
            return {at + 1, at + 2, true};
        if (at + 2 < end && bytes[at + 1] == '\r' && bytes[at + 2] == '\n')
            return {at + 1, at + 3, true};
    }
    return {end, end, false};
}

void walk(const QByteArray &bytes, qsizetype start, qsizetype end, const QString &number, QList<MimePart> &leaves, int depth);

void walkMultipart(const QByteArray &bytes, qsizetype bodyStart, qsizetype bodyEnd, const QByteArray &boundary,
                   const QString &prefix, QList<MimePart> &leaves, int depth)
{
    const QByteArray delimiter = "--" + boundary;
    // Delimiter lines: at a line start, "--boundary", then "--", blanks or the line end.
    QList<QPair<qsizetype, qsizetype>> lines;  // the line break before it (or its start), the byte after its line
    qsizetype at = bodyStart;
    bool closed = false;
    while (at < bodyEnd && !closed) {
        const qsizetype found = bytes.indexOf(delimiter, at);
        if (found < 0 || found >= bodyEnd)
            break;
        at = found + delimiter.size();
        if (found != bodyStart && bytes[found - 1] != '\n')
            continue;
        qsizetype after = found + delimiter.size();
        closed = bytes.mid(after, 2) == "--";
        const qsizetype lineEnd = bytes.indexOf('\n', after);
        const qsizetype next = lineEnd < 0 || lineEnd >= bodyEnd ? bodyEnd : lineEnd + 1;
        qsizetype before = found;
        if (before > bodyStart && bytes[before - 1] == '\n') {
            --before;
            if (before > bodyStart && bytes[before - 1] == '\r')
                --before;
        }
        lines.append({before, next});
        at = next;
    }
    for (qsizetype k = 0; k + 1 < lines.size(); ++k) {
        const QString number = prefix.isEmpty() ? QString::number(k + 1) : prefix + QLatin1Char('.') + QString::number(k + 1);
        walk(bytes, lines[k].second, lines[k + 1].first, number, leaves, depth + 1);
    }
}

void walk(const QByteArray &bytes, qsizetype start, qsizetype end, const QString &number, QList<MimePart> &leaves, int depth)
{
    if (depth > 64)
        return;
    const Split split = splitHeader(bytes, start, end);
    const QByteArrayView header(bytes.constData() + start, split.headerEnd - start);
    const QByteArray type = headerField(header, "Content-Type").trimmed();
    const qsizetype semicolon = type.indexOf(';');
    const QByteArray mediaType = (semicolon < 0 ? type : type.left(semicolon)).trimmed().toLower();
    if (mediaType.startsWith("multipart/")) {
        const QByteArray boundary = fieldParameter(type, "boundary");
        if (!boundary.isEmpty()) {
            // A message's own multipart numbers its children 1, 2...; a nested one prefixes its number.
            walkMultipart(bytes, split.bodyStart, end, boundary, number == QLatin1String("0") ? QString() : number, leaves, depth);
            return;
        }
    }
    if (mediaType == "message/rfc822" && number != QLatin1String("0")) {
        // IMAP numbers an attached message's parts below its own number.
        QList<MimePart> inner;
        walk(bytes, split.bodyStart, end, QStringLiteral("0"), inner, depth + 1);
        for (MimePart &part : inner)
            part.number = number + QLatin1Char('.') + part.number;
        leaves += inner;
        return;
    }
    MimePart part;
    part.number = number == QLatin1String("0") ? QStringLiteral("1") : number;
    part.bodyStart = split.bodyStart;
    part.bodyEnd = split.hasBody ? end : split.bodyStart;
    part.hasBody = split.hasBody;
    part.transferEncoding = headerField(header, "Content-Transfer-Encoding").trimmed().toLower();
    part.fileName = fieldParameter(headerField(header, "Content-Disposition"), "filename");
    if (part.fileName.isEmpty())
        part.fileName = fieldParameter(type, "name");
    part.appleStub = !headerField(header, "X-Apple-Content-Length").isEmpty();
    leaves.append(part);
}

} // namespace

QByteArray headerField(QByteArrayView header, QByteArrayView name)
{
    QByteArray value;
    bool inField = false;
    qsizetype at = 0;
    while (at < header.size()) {
        qsizetype lineEnd = header.indexOf('\n', at);
        if (lineEnd < 0)
            lineEnd = header.size();
        QByteArrayView line = header.sliced(at, lineEnd - at);
        if (line.endsWith('\r'))
            line.chop(1);
        at = lineEnd + 1;
        if (!line.isEmpty() && (line[0] == ' ' || line[0] == '\t')) {
            if (inField)
                value += ' ' + line.trimmed().toByteArray();
            continue;
        }
        if (inField)
            return value;
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.first(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0) {
            inField = true;
            value = line.sliced(colon + 1).trimmed().toByteArray();
        }
    }
    return value;
}

QByteArray fieldParameter(QByteArrayView value, QByteArrayView name)
{
    qsizetype at = value.indexOf(';');
    while (at >= 0 && at < value.size()) {
        ++at;
        while (at < value.size() && (value[at] == ' ' || value[at] == '\t'))
            ++at;
        const qsizetype equals = value.indexOf('=', at);
        if (equals < 0)
            return {};
        const QByteArrayView key = value.sliced(at, equals - at).trimmed();
        qsizetype end = equals + 1;
        QByteArray parameter;
        if (end < value.size() && value[end] == '"') {
            ++end;
            while (end < value.size() && value[end] != '"') {
                if (value[end] == '\\' && end + 1 < value.size())
                    ++end;
                parameter += value[end++];
            }
            end = value.indexOf(';', end);
        } else {
            const qsizetype semicolon = value.indexOf(';', end);
            parameter = value.sliced(end, (semicolon < 0 ? value.size() : semicolon) - end).trimmed().toByteArray();
            end = semicolon;
        }
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return parameter;
        at = end;
    }
    return {};
}

QList<MimePart> mimeLeafParts(const QByteArray &message)
{
    QList<MimePart> leaves;
    walk(message, 0, message.size(), QStringLiteral("0"), leaves, 0);
    return leaves;
}
