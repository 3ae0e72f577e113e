#include "engine/message/ContentHash.h"
#include "engine/run/DateOrder.h"
#include "engine/support/FileNames.h"
#include "engine/support/Yielder.h"
#include "TempTree.h"

#include <QTest>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

QByteArray dated(const char *date)
{
    return "From: a@example.org\r\nDate: " + QByteArray(date) + "\r\n\r\nbody\r\n";
}

// A message without any date, its file's modification time set to this.
QByteArray fileTime(const char *iso)
{
    return QByteArray("@") + iso;
}

} // namespace

class DateOrderTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void order_data()
    {
        QTest::addColumn<QStringList>("targets");  // of each message, in list order; the names are 0, 1, 2...
        QTest::addColumn<QByteArrayList>("messages");
        QTest::addColumn<QStringList>("expected");

        const QStringList three{QStringLiteral("a"), QStringLiteral("a"), QStringLiteral("a")};
        QTest::newRow("dates out of order") << three
            << QByteArrayList{dated("3 Mar 2024 10:00:00 +0000"), dated("1 Mar 2024 10:00:00 +0000"), dated("2 Mar 2024 10:00:00 +0000")}
            << QStringList{"1", "2", "0"};
        QTest::newRow("zones are compared in UTC") << QStringList{"a", "a"}
            << QByteArrayList{dated("1 Mar 2024 10:00:00 +0000"), dated("1 Mar 2024 10:30:00 +0100")}
            << QStringList{"1", "0"};
        QTest::newRow("the same second keeps list order") << three
            << QByteArrayList{dated("2 Mar 2024 10:00:00 +0000"), dated("2 Mar 2024 11:00:00 +0100"), dated("1 Mar 2024 10:00:00 +0000")}
            << QStringList{"2", "0", "1"};
        QTest::newRow("envelope line when no Date field") << three
            << QByteArrayList{dated("3 Mar 2024 10:00:00 +0000"), "From x@example.org Sat Mar  2 10:00:00 2024\nSubject: s\n\nbody\n",
                              dated("1 Mar 2024 10:00:00 +0000")}
            << QStringList{"2", "1", "0"};
        QTest::newRow("Received when no Date field") << QStringList{"a", "a"}
            << QByteArrayList{dated("3 Mar 2024 10:00:00 +0000"), "Received: from x by y; 2 Mar 2024 10:00:00 +0000\r\n\r\nbody\r\n"}
            << QStringList{"1", "0"};
        QTest::newRow("file time when no date at all") << three
            << QByteArrayList{dated("3 Mar 2024 10:00:00 +0000"), fileTime("2024-03-04T00:00:00Z"), fileTime("2024-03-02T00:00:00Z")}
            << QStringList{"2", "0", "1"};
        QTest::newRow("unreadable Date falls back") << QStringList{"a", "a"}
            << QByteArrayList{dated("3 Mar 2024 10:00:00 +0000"), "Date: yesterday\r\n\r\nbody\r\n"}
            << QStringList{"0", "1"};  // its file is made now, after 2024
        QTest::newRow("each mbox keeps its places") << QStringList{"a", "b", "a", "b", "c"}
            << QByteArrayList{dated("3 Mar 2024 10:00:00 +0000"), dated("5 Mar 2024 10:00:00 +0000"),
                              dated("1 Mar 2024 10:00:00 +0000"), dated("4 Mar 2024 10:00:00 +0000"),
                              dated("1 Jan 2000 00:00:00 +0000")}
            << QStringList{"2", "3", "0", "1", "4"};
        QTest::newRow("a missing file keeps the run going") << QStringList{"a", "a", "a"}
            << QByteArrayList{dated("3 Mar 2024 10:00:00 +0000"), QByteArray("!missing"), dated("1 Mar 2024 10:00:00 +0000")}
            << QStringList{"1", "2", "0"};  // no date for it at all: 1970
    }

    void order()
    {
        QFETCH(QStringList, targets);
        QFETCH(QByteArrayList, messages);
        QFETCH(QStringList, expected);
        TempTree tree;
        QList<SourceMessage> entries;
        for (qsizetype k = 0; k < messages.size(); ++k) {
            const QString name = QString::number(k);
            const QString path = tree.path(QStringLiteral("in/") + name + QStringLiteral(".eml"));
            const QByteArray &message = messages[k];
            if (message.startsWith('@')) {
                tree.file(QStringLiteral("in/") + name + QStringLiteral(".eml"), "Subject: no date\r\n\r\nbody\r\n");
                const qint64 when = QDateTime::fromString(QString::fromLatin1(message.mid(1)), Qt::ISODate).toSecsSinceEpoch();
                const struct timespec times[2] = {{when, 0}, {when, 0}};
                QCOMPARE(::utimensat(AT_FDCWD, nativeName(path).constData(), times, 0), 0);
            } else if (!message.startsWith('!')) {
                tree.file(QStringLiteral("in/") + name + QStringLiteral(".eml"), message);
            }
            entries.append({path, tree.path(QStringLiteral("out/") + targets[k] + QStringLiteral(".mbox"))});
        }
        NoYield yielder;
        const QList<SourceMessage> ordered = orderedByDate(entries, *makeStore({}), yielder);
        QStringList names;
        for (const SourceMessage &entry : ordered)
            names.append(entry.source.section(QLatin1Char('/'), -1).section(QLatin1Char('.'), 0, 0));
        QCOMPARE(names, expected);
        for (qsizetype k = 0; k < ordered.size(); ++k)
            QCOMPARE(ordered[k].mboxFile, entries[k].mboxFile);  // the targets' places stay
    }

    // The hash a manifest keeps is the same whatever the line ends, and
    // ignores an envelope line; it differs for any other change.
    void contentHash_data()
    {
        QTest::addColumn<QByteArray>("a");
        QTest::addColumn<QByteArray>("b");
        QTest::addColumn<bool>("same");
        const QByteArray crlf = "Subject: s\r\n\r\nline\r\nline 2\r\n";
        QTest::newRow("LF and CR LF") << crlf << QByteArray("Subject: s\n\nline\nline 2\n") << true;
        QTest::newRow("lone CR") << crlf << QByteArray("Subject: s\r\rline\rline 2\r") << true;
        QTest::newRow("line ends at the end") << crlf << QByteArray("Subject: s\r\n\r\nline\r\nline 2") << true;
        QTest::newRow("envelope line") << crlf << "From a@b Sat Mar  2 10:00:00 2024\n" + crlf << true;
        QTest::newRow("envelope line longer than 4 KB") << crlf << "From a@b " + QByteArray(5000, 'x') + "\n" + crlf << true;
        QTest::newRow("a line end inside") << crlf << QByteArray("Subject: s\r\n\r\nline\r\n\r\nline 2\r\n") << false;
        QTest::newRow("one letter") << crlf << QByteArray("Subject: s\r\n\r\nline\r\nline 3\r\n") << false;
    }

    void contentHash()
    {
        QFETCH(QByteArray, a);
        QFETCH(QByteArray, b);
        QFETCH(bool, same);
        QCOMPARE(contentHashOf(a) == contentHashOf(b), same);
        // Pieces of any size give the value of the whole.
        ContentHash pieces;
        for (qsizetype at = 0; at < b.size(); at += 3)
            pieces.feed(QByteArrayView(b).sliced(at, qMin<qsizetype>(3, b.size() - at)));
        QCOMPARE(pieces.hex(), contentHashOf(b));
    }
};

QTEST_GUILESS_MAIN(DateOrderTest)
#include "tst_dateorder.moc"
