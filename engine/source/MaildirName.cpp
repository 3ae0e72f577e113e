#include "engine/source/MaildirName.h"

#include <QStringList>

MessageFlags maildirFlags(const QString &fileName)
{
    MessageFlags flags;
    const qsizetype info = fileName.lastIndexOf(QLatin1String(":2,"));
    if (info < 0)
        return flags;
    for (const QChar letter : fileName.mid(info + 3)) {
        switch (letter.unicode()) {
        case 'S': flags.seen = true; break;
        case 'R': flags.answered = true; break;
        case 'F': flags.flagged = true; break;
        case 'T': flags.deleted = true; break;
        case 'D': flags.draft = true; break;
        case 'P': flags.forwarded = true; break;
        default: break;
        }
    }
    return flags;
}

QString decodeModifiedUtf7(const QString &text)
{
    QString out;
    qsizetype at = 0;
    while (at < text.size()) {
        const QChar c = text[at];
        if (c != QLatin1Char('&')) {
            out += c;
            ++at;
            continue;
        }
        const qsizetype end = text.indexOf(QLatin1Char('-'), at + 1);
        if (end < 0)
            return text;
        if (end == at + 1) {
            out += QLatin1Char('&');
        } else {
            // Modified base64: "," for "/", no padding; UTF-16 big-endian within.
            QByteArray base64 = text.mid(at + 1, end - at - 1).toLatin1().replace(',', '/');
            while (base64.size() % 4)
                base64 += '=';
            const auto decoded = QByteArray::fromBase64Encoding(base64, QByteArray::AbortOnBase64DecodingErrors);
            if (!decoded || decoded.decoded.size() % 2)
                return text;
            for (qsizetype k = 0; k + 1 < decoded.decoded.size(); k += 2)
                out += QChar(char16_t((uchar(decoded.decoded[k]) << 8) | uchar(decoded.decoded[k + 1])));
        }
        at = end + 1;
    }
    return out;
}

QString maildirFolderPath(const QString &dotName)
{
    if (!dotName.startsWith(QLatin1Char('.')) || dotName == QLatin1String(".") || dotName == QLatin1String(".."))
        return {};
    QStringList levels;
    for (const QString &level : dotName.mid(1).split(QLatin1Char('.'))) {
        if (level.isEmpty())
            return {};
        levels << decodeModifiedUtf7(level);
    }
    return levels.join(QLatin1Char('/'));
}
