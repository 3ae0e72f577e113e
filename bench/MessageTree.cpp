#include "MessageTree.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <random>

namespace {
QByteArray text(std::mt19937 &random, qsizetype bytes, const char *lineEnd)
{
    static const char *const words[] = {"mail", "archive", "meeting", "invoice", "project", "tomorrow", "thanks",
                                        "attached", "please", "review", "schedule", "budget", "report", "the", "and"};
    QByteArray text;
    text.reserve(bytes + 100);
    qsizetype lineStart = 0;
    while (text.size() < bytes) {
        if (random() % 97 == 0 && text.size() == lineStart)
            text += "From the desk of the editor";
        text += words[random() % std::size(words)];
        text += ' ';
        if (text.size() - lineStart > 68) {
            text += lineEnd;
            lineStart = text.size();
        }
    }
    return text + lineEnd;
}

QByteArray attachment(std::mt19937 &random, qsizetype bytes, const char *lineEnd)
{
    QByteArray raw(bytes * 3 / 4, Qt::Uninitialized);
    for (char &c : raw)
        c = char(random());
    const QByteArray encoded = raw.toBase64();
    QByteArray out;
    out.reserve(encoded.size() + encoded.size() / 76 * 2 + 2);
    for (qsizetype at = 0; at < encoded.size(); at += 76)
        out += encoded.mid(at, 76) + lineEnd;
    return out;
}

QByteArray message(std::mt19937 &random, int number)
{
    const bool crlf = random() % 3 != 0;
    const char *eol = crlf ? "\r\n" : "\n";
    const int roll = int(random() % 100);
    const qsizetype size = roll < 3 ? 100000 + qsizetype(random() % 4900000) : 2000 + qsizetype(random() % 18000);
    QByteArray header = QByteArray("From: Sender ") + QByteArray::number(number % 173) + " <sender"
                        + QByteArray::number(number % 173) + "@example.org>" + eol
                        + "To: reader@example.net" + eol
                        + "Subject: Message " + QByteArray::number(number) + eol
                        + "Date: " + QByteArray::number(1 + number % 28) + " Mar 2019 10:"
                        + QByteArray::number(10 + number % 50) + ":00 +0100" + eol
                        + "Message-ID: <" + QByteArray::number(number) + "@example.org>" + eol
                        + "MIME-Version: 1.0" + eol;
    if (roll >= 3)
        return header + "Content-Type: text/plain; charset=us-ascii" + eol + eol + text(random, size, eol);
    return header + "Content-Type: multipart/mixed; boundary=\"b\"" + eol + eol + "--b" + eol
           + "Content-Type: text/plain" + eol + eol + text(random, 3000, eol) + "--b" + eol
           + "Content-Type: application/octet-stream" + eol + "Content-Transfer-Encoding: base64" + eol + eol
           + attachment(random, size, eol) + "--b--" + eol;
}
}

long long makeMessageTree(const QString &root, int messages)
{
    std::mt19937 random(20261207);
    const int folders = std::max(1, messages / 500);
    long long written = 0;
    for (int i = 0; i < messages; ++i) {
        const int folder = i % folders;
        // Two or three levels deep: year / month, and a third level for every other folder.
        QString relative = QStringLiteral("%1/month-%2").arg(2010 + folder % 7).arg(folder, 3, 10, QLatin1Char('0'));
        if (folder % 2)
            relative += QStringLiteral("/sub");
        const QString dir = root + QLatin1Char('/') + relative;
        if (!QDir().mkpath(dir))
            return -1;
        QFile file(dir + QStringLiteral("/%1.eml").arg(i, 6, 10, QLatin1Char('0')));
        const QByteArray bytes = message(random, i);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return -1;
        written += bytes.size();
    }
    return written;
}

long long makeHugeMessage(const QString &path, int megabytes)
{
    QFile file(path);
    if (!QDir().mkpath(QFileInfo(path).path()) || !file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return -1;
    std::mt19937 random(20261207);
    const QByteArray head = "From: Sender <sender@example.org>\r\nTo: reader@example.net\r\nSubject: Large attachment\r\n"
                            "Date: 7 Dec 2026 10:00:00 +0100\r\nMIME-Version: 1.0\r\n"
                            "Content-Type: multipart/mixed; boundary=\"b\"\r\n\r\n--b\r\nContent-Type: text/plain\r\n\r\n"
                            + text(random, 3000, "\r\n") + "--b\r\nContent-Type: application/octet-stream\r\n"
                            "Content-Transfer-Encoding: base64\r\n\r\n";
    const QByteArray tail = "--b--\r\n";
    const long long target = (long long)megabytes << 20;
    long long written = file.write(head);
    // 57 raw bytes make one base64 line of 76 characters.
    constexpr int LinesPerPiece = 8192;
    QByteArray raw(57 * LinesPerPiece, Qt::Uninitialized);
    while (written + (long long)tail.size() < target) {
        for (char &c : raw)
            c = char(random());
        const QByteArray encoded = raw.toBase64();
        QByteArray piece;
        piece.reserve(LinesPerPiece * 78);
        for (qsizetype at = 0; at < encoded.size() && written + piece.size() + 78 + tail.size() <= target; at += 76)
            piece += encoded.mid(at, 76) + "\r\n";
        if (piece.isEmpty() || file.write(piece) != piece.size())
            break;
        written += piece.size();
    }
    written += file.write(tail);
    return file.error() == QFileDevice::NoError ? written : -1;
}
