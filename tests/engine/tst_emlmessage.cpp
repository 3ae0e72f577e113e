#include "convert/EmlMessage.h"
#include "TempTree.h"

#include <QFile>
#include <QTest>
#include <sys/stat.h>

namespace {

QDateTime Utc(const char *iso)
{
    QDateTime date = QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODate);
    date.setTimeSpec(Qt::UTC);
    return date;
}

const QDateTime FileTime = Utc("2020-01-02T03:04:05");

} // namespace

class EmlMessageTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void senderAndDate_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QString>("sender");
        QTest::addColumn<QDateTime>("date");

        const QByteArray date = "Date: Tue, 5 Mar 2024 14:07:09 +0100";
        const QDateTime utc = Utc("2024-03-05T13:07:09");
        QTest::newRow("CR LF header block")
            << "From: Joe <joe@x.org>\r\n" + date + "\r\n\r\nbody\r\n" << "joe@x.org" << utc;
        QTest::newRow("LF header block") << "From: Joe <joe@x.org>\n" + date + "\n\nbody\n" << "joe@x.org" << utc;
        QTest::newRow("CR header block") << "From: Joe <joe@x.org>\r" + date + "\r\rbody\r" << "joe@x.org" << utc;
        QTest::newRow("names in any case")
            << QByteArray("fROM: joe@x.org\r\nDATE: Tue, 5 Mar 2024 14:07:09 +0100\r\n\r\n") << "joe@x.org" << utc;
        QTest::newRow("space before the colon")
            << QByteArray("From : joe@x.org\r\nDate\t: Tue, 5 Mar 2024 14:07:09 +0100\r\n\r\n") << "joe@x.org" << utc;
        QTest::newRow("folded fields")
            << QByteArray("From: Joe\r\n <joe@x.org>\r\nDate: Tue, 5 Mar 2024\r\n\t14:07:09 +0100\r\n\r\n")
            << "joe@x.org" << utc;
        QTest::newRow("encoded display name")
            << "From: =?UTF-8?B?Sm/DqyBEdXBvbnQ=?= <joe@x.org>\r\n" + date + "\r\n\r\n" << "joe@x.org" << utc;
        QTest::newRow("bare address with comment")
            << "From: joe@x.org (Joe)\r\n" + date + "\r\n\r\n" << "joe@x.org" << utc;
        QTest::newRow("first of several")
            << "From: a@x.org, b@x.org\r\n" + date + "\r\n\r\n" << "a@x.org" << utc;
        QTest::newRow("group") << "From: Team: a@x.org, b@x.org;\r\n" + date + "\r\n\r\n" << "a@x.org" << utc;
        QTest::newRow("empty group first")
            << "From: None:;, c@x.org\r\n" + date + "\r\n\r\n" << "c@x.org" << utc;
        QTest::newRow("no From: Sender")
            << "Sender: s@x.org\r\nReturn-Path: <r@x.org>\r\n" + date + "\r\n\r\n" << "s@x.org" << utc;
        QTest::newRow("unparsable From: Sender")
            << "From: <>\r\nSender: s@x.org\r\n" + date + "\r\n\r\n" << "s@x.org" << utc;
        QTest::newRow("Return-Path") << "Return-Path: <r@x.org>\r\n" + date + "\r\n\r\n" << "r@x.org" << utc;
        QTest::newRow("Return-Path <> counts as none")
            << "From env@x.org Fri Jul  8 12:08:34 2011\r\nReturn-Path: <>\r\n" + date + "\r\n\r\n" << "env@x.org" << utc;
        QTest::newRow("envelope line gives both")
            << QByteArray("From env@x.org Fri Jul  8 12:08:34 2011\nSubject: x\n\nbody\n")
            << "env@x.org" << Utc("2011-07-08T12:08:34");
        QTest::newRow("nothing: MAILER-DAEMON and file time")
            << QByteArray("Subject: x\r\n\r\nFrom: late@x.org\r\n") << "MAILER-DAEMON" << FileTime;
        QTest::newRow("zero bytes") << QByteArray() << "MAILER-DAEMON" << FileTime;
        QTest::newRow("body before any empty line ends the header")
            << QByteArray("Subject: x\r\nplain text\r\nFrom: late@x.org\r\n") << "MAILER-DAEMON" << FileTime;

        const QByteArray from = "From: joe@x.org\r\n";
        auto dated = [&](const char *name, const char *value, const char *expected) {
            QTest::newRow(name) << from + "Date: " + value + "\r\n\r\n" << "joe@x.org"
                                << (expected ? Utc(expected) : FileTime);
        };
        dated("two-digit year below 50", "5 Mar 24 14:07:09 +0000", "2024-03-05T14:07:09");
        dated("two-digit year 50 and up", "Sun, 5 Mar 50 14:07:09 +0000", "1950-03-05T14:07:09");
        dated("three-digit year", "Tue, 05 Mar 124 14:07 GMT", "2024-03-05T14:07:00");
        dated("four-digit year below 100", "1 Jan 0099 00:00:00 +0000", "0099-01-01T00:00:00");
        dated("named zone", "5 Mar 2024 14:07:09 EST", "2024-03-05T19:07:09");
        dated("daylight zone", "5 Mar 2024 14:07:09 PDT", "2024-03-05T21:07:09");
        dated("UT", "5 Mar 2024 14:07:09 UT", "2024-03-05T14:07:09");
        dated("military zone is -0000", "5 Mar 2024 14:07:09 A", "2024-03-05T14:07:09");
        dated("unknown zone is -0000", "5 Mar 2024 14:07:09 XYZ", "2024-03-05T14:07:09");
        dated("no zone", "5 Mar 2024 14:07:09", "2024-03-05T14:07:09");
        dated("no seconds", "Tue, 5 Mar 2024 14:07 +0200", "2024-03-05T12:07:00");
        dated("wrong weekday", "Fri, 5 Mar 2024 14:07:09 +0000", "2024-03-05T14:07:09");
        dated("comments and spaces", "Tue, 5 (day) Mar 2024 14 : 07 : 09 +0100 (CET)", "2024-03-05T13:07:09");
        dated("crosses midnight and year", "Thu, 31 Dec 1998 23:30:00 -0100", "1999-01-01T00:30:00");
        dated("negative half hours", "Thu, 13 Feb 1969 23:32:54 -0330", "1969-02-14T03:02:54");
        dated("leap second", "31 Dec 2016 23:59:60 +0000", "2016-12-31T23:59:59");
        dated("asctime form", "Fri Jul  8 12:08:34 2011", "2011-07-08T12:08:34");
        dated("no such day", "29 Feb 2025 10:00:00 +0000", nullptr);
        dated("hour 25", "5 Mar 2024 25:07:09 +0000", nullptr);
        dated("year 10000", "5 Mar 10000 14:07:09 +0000", nullptr);
        dated("year 0", "5 Mar 0000 14:07:09 +0000", nullptr);
        dated("past 9999 in UTC", "31 Dec 9999 23:30:00 -0100", nullptr);
        dated("garbage", "soon", nullptr);
        dated("empty", "", nullptr);

        QTest::newRow("topmost Received when Date: fails")
            << QByteArray("From: joe@x.org\r\nDate: never\r\n"
                          "Received: from a by b; Tue, 5 Mar 2024 14:07:09 +0100\r\n"
                          "Received: from c by a; Mon, 4 Mar 2024 10:00:00 +0000\r\n\r\n")
            << "joe@x.org" << utc;
        QTest::newRow("folded Received, date after the last semicolon")
            << QByteArray("From: joe@x.org\r\nReceived: from a (x; y)\r\n by b; Tue, 5 Mar 2024\r\n 14:07:09 +0100\r\n\r\n")
            << "joe@x.org" << utc;
        QTest::newRow("Received without a date: envelope date")
            << QByteArray("From env@x.org Fri Jul  8 12:08:34 2011\r\nFrom: joe@x.org\r\nReceived: from a by b\r\n\r\n")
            << "joe@x.org" << Utc("2011-07-08T12:08:34");
    }
    void senderAndDate()
    {
        QFETCH(QByteArray, message);
        QFETCH(QString, sender);
        QFETCH(QDateTime, date);
        EmlMessage eml;
        eml.LoadFromBytes(message, FileTime);
        QCOMPARE(eml.GetSender(), sender);
        QCOMPARE(eml.GetDate(), date);
        QCOMPARE(eml.GetDate().timeSpec(), Qt::UTC);
    }

    void senderLosesSpacesAndControlCharacters_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QString>("sender");
        QTest::newRow("tab in envelope sender") << QByteArray("From a\x01" "b@x Fri Jul  8 12:08:34 2011\n\n")
                                                << "a-b@x";
        QTest::newRow("quoted space in address") << QByteArray("From: \"a b\"@x.org\r\n\r\n") << "\"a-b\"@x.org";
    }
    void senderLosesSpacesAndControlCharacters()
    {
        QFETCH(QByteArray, message);
        QFETCH(QString, sender);
        EmlMessage eml;
        eml.LoadFromBytes(message, FileTime);
        QCOMPARE(eml.GetSender(), sender);
    }

    void headerIsReadOnlyWithinTheFirstMebibyte_data()
    {
        QTest::addColumn<int>("fillerLines");
        QTest::addColumn<QString>("sender");
        // Each filler line is 1024 bytes; 1024 of them fill the mebibyte.
        QTest::newRow("From: just inside") << 1022 << "joe@x.org";
        QTest::newRow("From: beyond") << 1024 << "MAILER-DAEMON";
    }
    void headerIsReadOnlyWithinTheFirstMebibyte()
    {
        QFETCH(int, fillerLines);
        QFETCH(QString, sender);
        const QByteArray filler = "X-Filler: " + QByteArray(1012, 'a') + "\r\n";
        QCOMPARE(filler.size(), 1024);
        const QByteArray message = filler.repeated(fillerLines) + "From: joe@x.org\r\n\r\nbody\r\n";
        TempTree tree;
        EmlMessage fromFile;
        QVERIFY(fromFile.LoadEml(tree.file(QStringLiteral("big.eml"), message)));
        QCOMPARE(fromFile.GetSender(), sender);
        EmlMessage fromBytes;
        fromBytes.LoadFromBytes(message, FileTime);
        QCOMPARE(fromBytes.GetSender(), sender);
    }

    void fileWithoutDateGivesItsModificationTime()
    {
        TempTree tree;
        const QString path = tree.file(QStringLiteral("a.eml"), "From: joe@x.org\r\n\r\n");
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(FileTime, QFileDevice::FileModificationTime));
        file.close();
        EmlMessage eml;
        QVERIFY(eml.LoadEml(path));
        QCOMPARE(eml.GetSender(), QStringLiteral("joe@x.org"));
        QCOMPARE(eml.GetDate(), FileTime);
    }

    void unreadableFilesGiveTheFallbacks()
    {
        TempTree tree;
        const QString fifo = tree.path(QStringLiteral("x.eml"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        EmlMessage eml;
        QVERIFY(!eml.LoadEml(fifo));  // returns at once instead of waiting for a writer
        QCOMPARE(eml.GetSender(), QStringLiteral("MAILER-DAEMON"));
        QVERIFY(!eml.LoadEml(tree.folder(QStringLiteral("dir.eml"))));
        QVERIFY(!eml.LoadEml(tree.path(QStringLiteral("missing.eml"))));
        QCOMPARE(eml.GetSender(), QStringLiteral("MAILER-DAEMON"));
        QVERIFY(eml.GetDate().isValid());
    }
};

QTEST_GUILESS_MAIN(EmlMessageTest)
#include "tst_emlmessage.moc"
