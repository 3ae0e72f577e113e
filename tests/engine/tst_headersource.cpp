#include "engine/message/HeaderSource.h"
#include "engine/message/MessageReader.h"
#include "TempTree.h"

#include <QFile>
#include <QTest>
#include <sys/stat.h>

namespace {
QDateTime utcTime(const char *iso)
{
    return QDateTime::fromString(QString::fromLatin1(iso) + QLatin1Char('Z'), Qt::ISODate).toUTC();
}
const QDateTime FileTime = utcTime("2020-01-02T03:04:05");

// What the run hands the store to find the sender in.
QByteArray firstPiece(const QString &path)
{
    MessageReader reader(path);
    QByteArray piece;
    return reader.ok() && reader.next(piece) ? piece : QByteArray();
}
} // namespace

class HeaderSourceTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void senderAndDate_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QString>("sender");
        QTest::addColumn<QDateTime>("date");
        const QByteArray date = "Date: Tue, 5 Mar 2024 14:07:09 +0100";
        const QDateTime utc = utcTime("2024-03-05T13:07:09");
        auto row = [](const char *name, const QByteArray &message, const char *sender, const QDateTime &when) {
            QTest::newRow(name) << message << QString::fromUtf8(sender) << when;
        };
        row("CR LF header block", "From: Joe <joe@x.org>\r\n" + date + "\r\n\r\nbody\r\n", "joe@x.org", utc);
        row("LF header block", "From: Joe <joe@x.org>\n" + date + "\n\nbody\n", "joe@x.org", utc);
        row("CR header block", "From: Joe <joe@x.org>\r" + date + "\r\rbody\r", "joe@x.org", utc);
        row("names in any case", "fROM: joe@x.org\r\nDATE: Tue, 5 Mar 2024 14:07:09 +0100\r\n\r\n", "joe@x.org", utc);
        row("space before the colon", "From : joe@x.org\r\nDate\t: Tue, 5 Mar 2024 14:07:09 +0100\r\n\r\n", "joe@x.org", utc);
        row("folded fields", "From: Joe\r\n <joe@x.org>\r\nDate: Tue, 5 Mar 2024\r\n\t14:07:09 +0100\r\n\r\n", "joe@x.org", utc);
        row("encoded display name", "From: =?UTF-8?B?Sm/DqyBEdXBvbnQ=?= <joe@x.org>\r\n" + date + "\r\n\r\n", "joe@x.org", utc);
        row("first of several", "From: a@x.org (A), b@x.org\r\n" + date + "\r\n\r\n", "a@x.org", utc);
        row("group", "From: Team: a@x.org, b@x.org;\r\n" + date + "\r\n\r\n", "a@x.org", utc);
        row("empty group first", "From: None:;, c@x.org\r\n" + date + "\r\n\r\n", "c@x.org", utc);
        row("no From: Sender", "Sender: s@x.org\r\nReturn-Path: <r@x.org>\r\n" + date + "\r\n\r\n", "s@x.org", utc);
        row("unparsable From: Sender", "From: <>\r\nSender: s@x.org\r\n" + date + "\r\n\r\n", "s@x.org", utc);
        row("Return-Path", "Return-Path: <r@x.org>\r\n" + date + "\r\n\r\n", "r@x.org", utc);
        row("Return-Path <> is none", "From e@x.org Fri Jul  8 12:08:34 2011\r\nReturn-Path: <>\r\n" + date + "\r\n\r\n", "e@x.org", utc);
        row("envelope line gives both", "From e@x.org Fri Jul  8 12:08:34 2011\nSubject: x\n\nbody\n", "e@x.org", utcTime("2011-07-08T12:08:34"));
        row("nothing: MAILER-DAEMON, file time", "Subject: x\r\n\r\nFrom: late@x.org\r\n", "MAILER-DAEMON", FileTime);
        row("zero bytes", "", "MAILER-DAEMON", FileTime);
        row("body without empty line ends the header", "Subject: x\r\nplain\r\nFrom: a@x.org\r\n", "MAILER-DAEMON", FileTime);
        row("control character in sender", "From a\x01" "b@x Fri Jul  8 12:08:34 2011\n\n", "a-b@x", utcTime("2011-07-08T12:08:34"));
        row("quoted space in sender", "From: \"a b\"@x.org\r\n" + date + "\r\n\r\n", "\"a-b\"@x.org", utc);
        row("invisible character outside the BMP", "From: a\xf3\xa0\x80\x81" "b@x.org\r\n" + date + "\r\n\r\n", "a-b@x.org", utc);
        row("envelope line among the fields", "Received: from a by b\r\nFrom list@x.org Fri Jul  8 12:08:34 2011\r\n"
            "From: j@x.org\r\n" + date + "\r\n\r\n", "j@x.org", utc);
        row("empty envelope sender, as mutt reads it", "From  Fri Jul  8 12:08:34 2011\nSubject: x\n\n", "MAILER-DAEMON",
            utcTime("2011-07-08T12:08:34"));
        row("TAB in the envelope line", "From e@x.org\tFri Jul  8 12:08:34 2011\n\n", "e@x.org", utcTime("2011-07-08T12:08:34"));
        row("envelope date before 1969", "From e@x.org Tue Jul 01 12:00:00 1968\n\n", "e@x.org", utcTime("1968-07-01T12:00:00"));
        row("envelope date in the year 1", "From e@x.org Mon Jan 01 01:02:03 0001\n\n", "e@x.org", utcTime("0001-01-01T01:02:03"));
        row("bare name before a broken address", "From: root,<\r\nSender: s@x.org\r\n" + date + "\r\n\r\n", "root", utc);
        const QByteArray bareNames = QByteArray("a,").repeated(256 * 1024);
        row("From: of bare names, 512 KiB", "From: " + bareNames + "\r\n" + date + "\r\n\r\n", "a", utc);
        row("Sender: of bare names, 512 KiB", "From: <>\r\nSender: " + bareNames + "\r\n" + date + "\r\n\r\n", "a", utc);
        row("Return-Path: of bare names, 512 KiB", "Return-Path: " + bareNames + "\r\n" + date + "\r\n\r\n", "a", utc);

        auto dated = [&](const char *name, const char *value, const char *expected) {
            row(name, "From: j@x.org\r\nDate: " + QByteArray(value) + "\r\n\r\n", "j@x.org", expected ? utcTime(expected) : FileTime);
        };
        dated("two-digit year below 50", "5 Mar 24 14:07:09 +0000", "2024-03-05T14:07:09");
        dated("two-digit year 50 and up", "Sun, 5 Mar 50 14:07:09 +0000", "1950-03-05T14:07:09");
        dated("three-digit year", "Tue, 05 Mar 124 14:07 GMT", "2024-03-05T14:07:00");
        dated("four-digit year below 100", "1 Jan 0099 00:00:00 +0000", "0099-01-01T00:00:00");
        dated("named zone", "5 Mar 2024 14:07:09 EST", "2024-03-05T19:07:09");
        dated("daylight zone", "5 Mar 2024 14:07:09 PDT", "2024-03-05T21:07:09");
        dated("military zone is -0000", "5 Mar 2024 14:07:09 A", "2024-03-05T14:07:09");
        dated("unknown zone is -0000", "5 Mar 2024 14:07:09 XYZ", "2024-03-05T14:07:09");
        dated("no zone", "5 Mar 2024 14:07:09", "2024-03-05T14:07:09");
        dated("no seconds", "Tue, 5 Mar 2024 14:07 +0200", "2024-03-05T12:07:00");
        dated("wrong weekday", "Fri, 5 Mar 2024 14:07:09 +0000", "2024-03-05T14:07:09");
        dated("comments and spaces", "Tue, 5 (day) Mar 2024 14 : 07 : 09 +0100 (CET)", "2024-03-05T13:07:09");
        dated("crosses the year", "Thu, 31 Dec 1998 23:30:00 -0100", "1999-01-01T00:30:00");
        dated("negative half hours", "Thu, 13 Feb 1969 23:32:54 -0330", "1969-02-14T03:02:54");
        dated("leap second", "31 Dec 2016 23:59:60 +0000", "2016-12-31T23:59:59");
        dated("asctime form", "Fri Jul  8 12:08:34 2011", "2011-07-08T12:08:34");
        dated("zone glued to the time, weekday in Portuguese", "qui, 14 Nov 2002 11:36:12+0000", "2002-11-14T11:36:12");
        dated("zone with a colon", "5 Mar 2024 14:07:09 +05:30", "2024-03-05T08:37:09");
        dated("no such day", "29 Feb 2025 10:00:00 +0000", nullptr);
        dated("hour 25", "5 Mar 2024 25:07:09 +0000", nullptr);
        dated("year 10000", "5 Mar 10000 14:07:09 +0000", nullptr);
        dated("year 0", "5 Mar 0000 14:07:09 +0000", nullptr);
        dated("past 9999 in UTC", "31 Dec 9999 23:30:00 -0100", nullptr);
        dated("garbage", "soon", nullptr);

        row("topmost Received when Date: fails", "From: j@x.org\r\nDate: never\r\n"
            "Received: from a by b; Tue, 5 Mar 2024 14:07:09 +0100\r\n"
            "Received: from c by a; Mon, 4 Mar 2024 10:00:00 +0000\r\n\r\n", "j@x.org", utc);
        row("folded Received, after the last semicolon",
            "From: j@x.org\r\nReceived: from a (x; y)\r\n by b; Tue, 5 Mar 2024\r\n 14:07:09 +0100\r\n\r\n", "j@x.org", utc);
        row("Received without a date: envelope date",
            "From e@x.org Fri Jul  8 12:08:34 2011\r\nFrom: j@x.org\r\nReceived: from a by b\r\n\r\n", "j@x.org",
            utcTime("2011-07-08T12:08:34"));
    }
    void senderAndDate()
    {
        QFETCH(QByteArray, message);
        QFETCH(QString, sender);
        QFETCH(QDateTime, date);
        HeaderSource eml;
        eml.loadFromBytes(message, FileTime);
        QCOMPARE(eml.getSender(), sender);
        QCOMPARE(eml.getDate(), date);
        QCOMPARE(eml.getDate().timeSpec(), Qt::UTC);
    }

    void headerIsReadOnlyWithinTheFirstMebibyte_data()
    {
        QTest::addColumn<int>("fillerLines");  // 1024 bytes each
        QTest::addColumn<QString>("sender");
        QTest::newRow("From: just inside") << 1022 << "j@x.org";
        QTest::newRow("From: beyond") << 1024 << "MAILER-DAEMON";
    }
    void headerIsReadOnlyWithinTheFirstMebibyte()
    {
        QFETCH(int, fillerLines);
        QFETCH(QString, sender);
        const QByteArray filler = "X-Filler: " + QByteArray(1012, 'a') + "\r\n";
        TempTree tree;
        HeaderSource eml;
        eml.loadFromBytes(firstPiece(tree.file(QStringLiteral("big.eml"), filler.repeated(fillerLines) + "From: j@x.org\r\n\r\n")),
                          FileTime);
        QCOMPARE(eml.getSender(), sender);
    }

    void fileWithoutDateGivesItsModificationTime()
    {
        TempTree tree;
        QFile file(tree.file(QStringLiteral("a.eml"), "From: j@x.org\r\n\r\n"));
        QVERIFY(file.open(QIODevice::ReadWrite) && file.setFileTime(FileTime, QFileDevice::FileModificationTime));
        file.close();
        MessageReader reader(file.fileName());
        QByteArray start;
        QVERIFY(reader.ok() && reader.next(start));
        QCOMPARE(HeaderSource::dateOf(start, reader.modified()), FileTime);
    }

    // The run fails such a message and goes on: it must learn that at once,
    // never waiting for a FIFO's writer.
    void unreadableFilesAreRefusedAtOnce()
    {
        TempTree tree;
        const QString fifo = tree.path(QStringLiteral("x.eml"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        for (const QString &path : {fifo, tree.folder(QStringLiteral("dir.eml")), tree.path(QStringLiteral("none.eml"))}) {
            MessageReader reader(path);
            QVERIFY(!reader.ok());
            QVERIFY(!reader.failure().isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(HeaderSourceTest)
#include "tst_headersource.moc"
