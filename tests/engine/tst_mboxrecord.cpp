#include "convert/MboxFile.h"
#include "convert/MboxRecord.h"
#include "TempTree.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QDateTime Utc(const char *iso)
{
    QDateTime date = QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODate);
    date.setTimeSpec(Qt::UTC);
    return date;
}

QByteArray Body(const QByteArray &message)
{
    QByteArray out;
    AppendBody(out, message);
    return out;
}

// Injected system calls: the first write stores `writeFirst` bytes, then
// every later one fails with ENOSPC.
qsizetype writeFirst = 0;
bool truncateFails = false;
int writeCalls = 0;

ssize_t FailingWrite(int fd, const void *data, size_t size)
{
    if (writeCalls++ == 0 && writeFirst > 0)
        return ::write(fd, data, qMin(size, size_t(writeFirst)));
    errno = ENOSPC;
    return -1;
}

int MaybeFailingTruncate(int fd, off_t length)
{
    if (truncateFails) {
        errno = EIO;
        return -1;
    }
    return ::ftruncate(fd, length);
}

} // namespace

class MboxRecordTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void separatorDate_data()
    {
        QTest::addColumn<QDateTime>("date");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("afternoon, day below 10") << Utc("2024-03-05T14:07:09") << QByteArray("Tue Mar 05 14:07:09 2024");
        QTest::newRow("midnight") << Utc("2023-12-31T00:00:00") << QByteArray("Sun Dec 31 00:00:00 2023");
        QTest::newRow("leap day") << Utc("2000-02-29T23:59:59") << QByteArray("Tue Feb 29 23:59:59 2000");
        QTest::newRow("year 1") << Utc("0001-01-01T01:02:03") << QByteArray("Mon Jan 01 01:02:03 0001");
        QTest::newRow("year 9999") << Utc("9999-12-31T12:00:00") << QByteArray("Fri Dec 31 12:00:00 9999");
    }
    void separatorDate()
    {
        QFETCH(QDateTime, date);
        QFETCH(QByteArray, text);
        QCOMPARE(FormatSeparatorDate(date), text);
    }

    void separatorLine()
    {
        const QDateTime date = Utc("2024-03-05T14:07:09");
        QCOMPARE(SeparatorLine(QStringLiteral("joe@x.org"), date), QByteArray("From joe@x.org Tue Mar 05 14:07:09 2024\r\n"));
        QCOMPARE(SeparatorLine(QString(), date), QByteArray("From  Tue Mar 05 14:07:09 2024\r\n"));
    }

    void body_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("CR LF lines") << QByteArray("Subject: a\r\n\r\nhi\r\n") << QByteArray("Subject: a\r\n\r\nhi\r\n");
        QTest::newRow("no break at the end") << QByteArray("Subject: a\r\n\r\nhi") << QByteArray("Subject: a\r\n\r\nhi\r\n");
        QTest::newRow("lone CR lines") << QByteArray("a\rb\r\rc\r") << QByteArray("a\r\nb\r\n\r\nc\r\n");
        QTest::newRow("lone LF stays in the line") << QByteArray("a\nb\n") << QByteArray("a\nb\n\r\n");
        QTest::newRow("CR CR LF") << QByteArray("a\r\r\nb") << QByteArray("a\r\n\r\nb\r\n");
        QTest::newRow("LF CR") << QByteArray("a\n\rb") << QByteArray("a\n\r\nb\r\n");
        QTest::newRow("only CR LF") << QByteArray("\r\n") << QByteArray("\r\n");
        QTest::newRow("only LF") << QByteArray("\n") << QByteArray("\n\r\n");
        QTest::newRow("zero bytes") << QByteArray() << QByteArray();
        QTest::newRow("8-bit and NUL bytes") << QByteArray("\xe9\xff\0x\r\n", 6) << QByteArray("\xe9\xff\0x\r\n", 6);

        QTest::newRow("From at the start") << QByteArray("X: 1\r\n\r\nFrom here on\r\n")
                                           << QByteArray("X: 1\r\n\r\n>From here on\r\n");
        QTest::newRow("From after CR") << QByteArray("a\rFrom b\r") << QByteArray("a\r\n>From b\r\n");
        QTest::newRow("From after LF") << QByteArray("a\nFrom b\n") << QByteArray("a\n>From b\n\r\n");
        QTest::newRow("From after CR LF at the end") << QByteArray("a\r\nFrom ") << QByteArray("a\r\n>From \r\n");
        QTest::newRow("quoted From gets one more") << QByteArray("x\r\n>From a\r\n>>From b\r\n")
                                                   << QByteArray("x\r\n>>From a\r\n>>>From b\r\n");
        QTest::newRow("not a From line") << QByteArray("x\r\nFrom: a\r\n From b\r\nFromage\r\nFrom\r\n> x From \r\n")
                                         << QByteArray("x\r\nFrom: a\r\n From b\r\nFromage\r\nFrom\r\n> x From \r\n");
        QTest::newRow("From without space at the end") << QByteArray("x\nFrom") << QByteArray("x\nFrom\r\n");

        QTest::newRow("envelope line left out") << QByteArray("From a@b Fri Jul  8 12:08:34 2011\r\nX: 1\r\n\r\nhi\r\n")
                                                << QByteArray("X: 1\r\n\r\nhi\r\n");
        QTest::newRow("envelope line ending in LF") << QByteArray("From a@b Fri Jul  8 12:08:34 2011\nX: 1\n\nhi\n")
                                                    << QByteArray("X: 1\n\nhi\n\r\n");
        QTest::newRow("envelope line ending in CR") << QByteArray("From a@b Fri Jul  8 12:08:34 2011\rX: 1\r")
                                                    << QByteArray("X: 1\r\n");
        QTest::newRow("envelope line alone") << QByteArray("From a@b Fri Jul  8 12:08:34 2011") << QByteArray();
        QTest::newRow("second From line is quoted") << QByteArray("From a@b Fri Jul  8 12:08:34 2011\r\nFrom b\r\n")
                                                    << QByteArray(">From b\r\n");
        QTest::newRow("obsolete From : field is no envelope") << QByteArray("From : a@b\r\n\r\n")
                                                               << QByteArray(">From : a@b\r\n\r\n");
    }
    void body()
    {
        QFETCH(QByteArray, message);
        QFETCH(QByteArray, body);
        QByteArray out("kept");
        const qsizetype appended = AppendBody(out, message);
        QCOMPARE(out, "kept" + body);
        QCOMPARE(appended, body.size());
    }

    void recordOfZeroByteMessage()
    {
        QCOMPARE(BuildRecord(QStringLiteral("a@b"), Utc("2024-03-05T14:07:09"), QByteArray()),
                 QByteArray("From a@b Tue Mar 05 14:07:09 2024\r\n\r\n"));
    }

    void progressIsReportedWhileALargeBodyIsBuilt()
    {
        const QByteArray line = QByteArray(76, 'A') + "\n";
        const QByteArray message = line.repeated(4000);  // about 300 KiB
        QList<qsizetype> reports;
        QByteArray out;
        const qsizetype total = AppendBody(out, message, [&](qsizetype built) { reports.append(built); });
        QVERIFY(reports.size() >= 3);
        for (qsizetype i = 1; i < reports.size(); ++i)
            QVERIFY(reports[i] > reports[i - 1]);
        QVERIFY(reports.last() < total);
        QCOMPARE(out, message + "\r\n");
    }

    void progressMayAbandonTheBody()
    {
        QByteArray out;
        QVERIFY_THROWS_EXCEPTION(int, AppendBody(out, QByteArray("line\r\n").repeated(40000),
                                                 [](qsizetype) { throw 1; }));
    }

    void appendsBehindWhatTheFileHolds()
    {
        TempTree tree;
        const QString mbox = tree.path(QStringLiteral("Inbox.mbox"));
        const QByteArray first = BuildRecord(QStringLiteral("a@b"), Utc("2024-03-05T14:07:09"), "X: 1\r\n\r\nhi");
        const QByteArray second = BuildRecord(QStringLiteral("c@d"), Utc("2024-03-06T14:07:09"), "X: 2\r\n\r\nho\r\n");
        QVERIFY(AppendRecord(mbox, first).written);
        QVERIFY(AppendRecord(mbox, second).written);
        QCOMPARE(TempTree::read(mbox), first + second);
        QVERIFY(TempTree::read(mbox).contains("\r\nhi\r\n\r\nFrom c@d Wed Mar 06 14:07:09 2024\r\n"));
    }

    void newFileGetsModeFromUmask()
    {
        TempTree tree;
        const mode_t old = ::umask(027);
        const bool written = AppendRecord(tree.path(QStringLiteral("a.mbox")), "From x\r\n\r\n").written;
        ::umask(old);
        QVERIFY(written);
        struct stat info {};
        QCOMPARE(::stat(QFile::encodeName(tree.path(QStringLiteral("a.mbox"))).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, mode_t(0640));
    }

    void failedWriteIsCutBack_data()
    {
        QTest::addColumn<int>("storedBeforeFailing");
        QTest::newRow("nothing written") << 0;
        QTest::newRow("short write, then full") << 7;
    }
    void failedWriteIsCutBack()
    {
        QFETCH(int, storedBeforeFailing);
        TempTree tree;
        const QByteArray earlier = "From a Tue Mar 05 14:07:09 2024\r\nX: 1\r\n\r\n";
        const QString mbox = tree.file(QStringLiteral("Inbox.mbox"), earlier);
        writeFirst = storedBeforeFailing;
        writeCalls = 0;
        truncateFails = false;
        const AppendOutcome outcome = AppendRecord(mbox, QByteArray(1000, 'r'), {&FailingWrite, &MaybeFailingTruncate});
        QVERIFY(!outcome.written);
        QVERIFY2(outcome.reason.contains(QStringLiteral("No space left")), qPrintable(outcome.reason));
        QCOMPARE(TempTree::read(mbox), earlier);
    }

    void failedCutBackIsReported()
    {
        TempTree tree;
        const QString mbox = tree.file(QStringLiteral("Inbox.mbox"), "old\r\n");
        writeFirst = 3;
        writeCalls = 0;
        truncateFails = true;
        const AppendOutcome outcome = AppendRecord(mbox, "abcdef", {&FailingWrite, &MaybeFailingTruncate});
        truncateFails = false;
        QVERIFY(!outcome.written);
        QVERIFY2(outcome.reason.contains(QStringLiteral("cut back")), qPrintable(outcome.reason));
    }

    void fullDeviceBehindTheMboxName()
    {
        if (!QFileInfo::exists(QStringLiteral("/dev/full")))
            QSKIP("no /dev/full here");
        TempTree tree;
        const QString mbox = tree.path(QStringLiteral("Inbox.mbox"));
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), mbox));
        const AppendOutcome outcome = AppendRecord(mbox, "From x\r\n\r\n");
        QVERIFY(!outcome.written);
        QVERIFY(!outcome.reason.isEmpty());
    }

    void fifoBehindTheMboxNameDoesNotBlock()
    {
        TempTree tree;
        const QString mbox = tree.path(QStringLiteral("Inbox.mbox"));
        QCOMPARE(::mkfifo(QFile::encodeName(mbox).constData(), 0600), 0);
        QVERIFY(!AppendRecord(mbox, "From x\r\n\r\n").written);
    }

    void unwritableFolderIsReported()
    {
        TempTree tree;
        const QString blocker = tree.file(QStringLiteral("file"), "x");
        const AppendOutcome outcome = AppendRecord(blocker + QStringLiteral("/Inbox.mbox"), "From x\r\n\r\n");
        QVERIFY(!outcome.written);
        QVERIFY(outcome.reason.contains(QStringLiteral("Not a directory")));
    }
};

QTEST_GUILESS_MAIN(MboxRecordTest)
#include "tst_mboxrecord.moc"
