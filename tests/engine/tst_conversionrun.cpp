#include "convert/ConversionReport.h"
#include "convert/ConversionRun.h"
#include "modules/Dialogs.h"
#include "modules/RunTimeError.h"
#include "modules/Yielder.h"
#include "TempTree.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct RecordingObserver : ConversionObserver {
    QList<QPair<qint64, qint64>> bytes;
    QList<QPair<int, int>> done;
    std::function<void()> onBytes;
    void BytesRead(qint64 bodyLength, qint64 fileSize) override
    {
        bytes.append({bodyLength, fileSize});
        if (onBytes)
            onBytes();
    }
    void MessageDone(int number, int total) override { done.append({number, total}); }
};

struct InterruptingYielder : Yielder {
    bool stop = false;
    void Yield() override { if (stop) throw Interrupted{}; }
    void YieldNow() override { Yield(); }
};

QByteArray Message(const char *from, int day, const QByteArray &text)
{
    return "From: " + QByteArray(from) + "\r\nDate: " + QByteArray::number(day)
         + " Mar 2024 10:00:00 +0000\r\n\r\n" + text + "\r\n";
}

// The record as the mbox must hold it, for a CR LF message dated in March 2024.
QByteArray Record(const char *from, const char *weekday, int day, const QByteArray &text)
{
    return "From " + QByteArray(from) + ' ' + weekday + " Mar " + QByteArray::number(day).rightJustified(2, '0')
         + " 10:00:00 2024\r\n" + Message(from, day, text) + "\r\n";
}

// Where the run puts the mbox of a source folder below destination.
QString MirroredMbox(const QString &destination, const QString &sourceFolder)
{
    return destination + sourceFolder.mid(1) + QLatin1Char('/') + sourceFolder.section(QLatin1Char('/'), -1)
         + QStringLiteral(".mbox");
}

ConversionResult Convert(const QStringList &paths, const QString &destination, RecordingObserver &observer)
{
    NoYield yielder;
    return ConvertMessages(paths, destination, observer, yielder);
}

ConversionResult Convert(const QStringList &paths, const QString &destination)
{
    RecordingObserver observer;
    return Convert(paths, destination, observer);
}

} // namespace

class ConversionRunTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void outputFor_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("destination");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("file");
        QTest::newRow("mirrors the source folder") << "/Mail/Inbox/0001.eml" << "/Export/" << "/Export/Mail/Inbox/"
                                                   << "/Export/Mail/Inbox/Inbox.mbox";
        QTest::newRow("source directly under the root") << "/0001.eml" << "/Export/" << "/Export/"
                                                        << "/Export/Export.mbox";
        QTest::newRow("bare name") << "0001.eml" << "/Export/" << "/Export/" << "/Export/Export.mbox";
        QTest::newRow("root as destination") << "/Mail/a.eml" << "/" << "/Mail/" << "/Mail/Mail.mbox";
        QTest::newRow("destination without separator") << "/Mail/a.eml" << "/Export" << "/Export/Mail/"
                                                       << "/Export/Mail/Mail.mbox";
        QTest::newRow("doubled separator") << "/Mail//a.eml" << "/E/" << "/E/Mail//" << "/E/Mail//.mbox";
    }
    void outputFor()
    {
        QFETCH(QString, source);
        QFETCH(QString, destination);
        QFETCH(QString, folder);
        QFETCH(QString, file);
        const OutputTarget target = OutputFor(source, destination);
        QCOMPARE(target.folder, folder);
        QCOMPARE(target.file, file);
    }

    void noMboxNameForARootSourceInTheRoot()
    {
        try {
            OutputFor(QStringLiteral("/a.eml"), QStringLiteral("/"));
            QFAIL("no error raised");
        } catch (const RunTimeError &error) {
            QCOMPARE(error.Number(), ErrorNumber::SubscriptOutOfRange);
        }
    }

    void trimSpaces_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("trimmed");
        QTest::newRow("both ends") << "  /a b/c.eml  " << "/a b/c.eml";
        QTest::newRow("only spaces") << "   " << "";
        QTest::newRow("tabs stay") << "\t/a.eml\t" << "\t/a.eml\t";
    }
    void trimSpaces()
    {
        QFETCH(QString, text);
        QFETCH(QString, trimmed);
        QCOMPARE(TrimSpaces(text), trimmed);
    }

    void twoFoldersGiveTwoMboxesInListOrder()
    {
        TempTree source, destination;
        const QString one = source.file(QStringLiteral("Mail/Inbox/1.eml"), Message("a@x", 5, "one"));
        const QString two = source.file(QStringLiteral("Mail/Inbox/2.eml"), Message("b@x", 6, "two"));
        const QString three = source.file(QStringLiteral("Mail/Sent/3.eml"), Message("c@x", 7, "three"));
        const ConversionResult result = Convert({two, three, one}, destination.root() + QLatin1Char('/'));
        QCOMPARE(result.written, 3);
        QVERIFY(result.Succeeded());
        const QString dest = destination.root() + QLatin1Char('/');
        QCOMPARE(TempTree::read(MirroredMbox(dest, source.path(QStringLiteral("Mail/Inbox")))),
                 Record("b@x", "Wed", 6, "two") + Record("a@x", "Tue", 5, "one"));
        QCOMPARE(TempTree::read(MirroredMbox(dest, source.path(QStringLiteral("Mail/Sent")))),
                 Record("c@x", "Thu", 7, "three"));
        QCOMPARE(result.mboxFiles.size(), 2);
    }

    void sameListTwiceDoublesEveryMessage()
    {
        TempTree source, destination;
        const QStringList list{source.file(QStringLiteral("In/1.eml"), Message("a@x", 5, "one")),
                               source.file(QStringLiteral("In/2.eml"), Message("b@x", 6, "two"))};
        const QString dest = destination.root() + QLatin1Char('/');
        QVERIFY(Convert(list, dest).Succeeded());
        QVERIFY(Convert(list, dest).Succeeded());
        const QByteArray once = Record("a@x", "Tue", 5, "one") + Record("b@x", "Wed", 6, "two");
        QCOMPARE(TempTree::read(MirroredMbox(dest, source.path(QStringLiteral("In")))), once + once);
    }

    void spacesAroundTheEntryAreIgnored()
    {
        TempTree source, destination;
        const QString path = source.file(QStringLiteral("In/1.eml"), Message("a@x", 5, "one"));
        const QString dest = destination.root() + QLatin1Char('/');
        const ConversionResult result = Convert({QStringLiteral("  ") + path + QStringLiteral("   ")}, dest);
        QVERIFY(result.Succeeded());
        QCOMPARE(TempTree::read(MirroredMbox(dest, source.path(QStringLiteral("In")))), Record("a@x", "Tue", 5, "one"));
    }

    void progressAfterEveryMessage()
    {
        TempTree source, destination;
        const QByteArray lf = "From: a@x\nDate: 5 Mar 2024 10:00:00 +0000\n\nhi\n";
        const QStringList list{source.file(QStringLiteral("In/1.eml"), Message("a@x", 5, "one")),
                               source.file(QStringLiteral("In/2.eml"), QByteArray()),
                               source.file(QStringLiteral("In/3.eml"), lf)};
        RecordingObserver observer;
        QVERIFY(Convert(list, destination.root(), observer).Succeeded());
        const QList<QPair<int, int>> done{{1, 3}, {2, 3}, {3, 3}};
        QCOMPARE(observer.done, done);
        const qint64 first = Message("a@x", 5, "one").size();
        // The zero-byte message reports nothing; the LF one is a single line, widened by CR LF.
        const QList<QPair<qint64, qint64>> bytes{{first, first}, {lf.size() + 2, lf.size()}};
        QCOMPARE(observer.bytes, bytes);
    }

    void zeroByteMessageGivesSeparatorAndEmptyLine()
    {
        TempTree source, destination;
        const QString path = source.file(QStringLiteral("In/empty.eml"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QDateTime time(QDate(2021, 6, 7), QTime(8, 9, 10), Qt::UTC);
        QVERIFY(file.setFileTime(time, QFileDevice::FileModificationTime));
        file.close();
        const QString dest = destination.root() + QLatin1Char('/');
        QVERIFY(Convert({path}, dest).Succeeded());
        QCOMPARE(TempTree::read(MirroredMbox(dest, source.path(QStringLiteral("In")))),
                 QByteArray("From MAILER-DAEMON Mon Jun 07 08:09:10 2021\r\n\r\n"));
    }

    void failingEntriesAreListedAndTheRunGoesOn()
    {
        TempTree source, destination;
        const QString dest = destination.root() + QLatin1Char('/');
        const QString good = source.file(QStringLiteral("In/good.eml"), Message("a@x", 5, "one"));
        const QString fifo = source.path(QStringLiteral("In/x.eml"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const QString folder = source.folder(QStringLiteral("In/dir.eml"));
        const QString missing = source.path(QStringLiteral("In/missing.eml"));
        const QString blocked = source.file(QStringLiteral("Blocked/b.eml"), Message("b@x", 6, "two"));
        // A file where the mirrored folder should go.
        destination.file(source.path(QStringLiteral("Blocked")).mid(1), "x");
        const QStringList list{fifo, folder, QStringLiteral("   "), missing, good, blocked};

        auto running = std::async(std::launch::async, [&] { return Convert(list, dest); });
        if (running.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
            ::close(::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK));  // release the reader
            QFAIL("the run waited on the FIFO");
        }
        const ConversionResult result = running.get();
        QCOMPARE(result.total, 6);
        QCOMPARE(result.written, 1);
        QCOMPARE(result.failures.size(), 5);
        QStringList failedPaths;
        for (const ConversionFailure &failure : result.failures) {
            failedPaths.append(failure.path);
            QVERIFY2(!failure.reason.isEmpty(), qPrintable(failure.path));
        }
        QCOMPARE(failedPaths, (QStringList{fifo, folder, QString(), missing, blocked}));
        QCOMPARE(TempTree::read(MirroredMbox(dest, source.path(QStringLiteral("In")))), Record("a@x", "Tue", 5, "one"));

        QCOMPARE(ConversionReportStyle(result), MsgBoxStyle::Exclamation);
        const QString report = ConversionReport(result);
        QVERIFY2(report.startsWith(QStringLiteral("1 of 6 messages")), qPrintable(report));
        for (const QString &path : {fifo, folder, missing, blocked})
            QVERIFY2(report.contains(path + QStringLiteral(": ")), qPrintable(path));
        QVERIFY(!report.contains(QStringLiteral("Successfully")));
    }

    void reportAfterFullSuccess()
    {
        ConversionResult result;
        result.total = result.written = 2;
        QCOMPARE(ConversionReport(result),
                 QStringLiteral("Export Completed Successfully !\r\nYour data has been successfully exported to .mbox "
                                "format (Compatible for Mac Mail, Entourage, Thunderbird, Evolution etc).\r\n"));
        QCOMPARE(ConversionReportStyle(result), MsgBoxStyle::Information);
    }

    void reportListsTwentyFailuresThenCountsTheRest()
    {
        ConversionResult result;
        result.total = 30;
        result.written = 5;
        for (int i = 1; i <= 25; ++i)
            result.failures.append({QStringLiteral("/m/%1.eml").arg(i), QStringLiteral("gone")});
        const QString report = ConversionReport(result);
        QVERIFY(report.contains(QStringLiteral("/m/20.eml: gone")));
        QVERIFY(!report.contains(QStringLiteral("/m/21.eml")));
        QVERIFY(report.contains(QStringLiteral("\u2026 and 5 more")));
        QCOMPARE(ConversionReportStyle(result), MsgBoxStyle::Exclamation);
    }

    void emptyListIsNoSuccess()
    {
        const ConversionResult result = Convert({}, QStringLiteral("/nonexistent/"));
        QCOMPARE(result.total, 0);
        QCOMPARE(ConversionReportStyle(result), MsgBoxStyle::Exclamation);
        QVERIFY(!ConversionReport(result).contains(QStringLiteral("Successfully")));
    }

    void interruptionLeavesOnlyWholeRecords()
    {
        TempTree source, destination;
        const QByteArray big = Message("b@x", 6, QByteArray("0123456789abcdef\r\n").repeated(20000));
        const QStringList list{source.file(QStringLiteral("In/1.eml"), Message("a@x", 5, "one")),
                               source.file(QStringLiteral("In/2.eml"), big)};
        RecordingObserver observer;
        InterruptingYielder yielder;
        // Stop at the first yield inside the big message, before it is complete.
        observer.onBytes = [&] { yielder.stop = observer.bytes.last().first < big.size(); };
        const QString dest = destination.root() + QLatin1Char('/');
        QVERIFY_THROWS_EXCEPTION(Interrupted, ConvertMessages(list, dest, observer, yielder));
        QCOMPARE(TempTree::read(MirroredMbox(dest, source.path(QStringLiteral("In")))), Record("a@x", "Tue", 5, "one"));
    }

    void pythonMailboxReadsWhatWasWritten_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("generated") << "generated";
        QTest::newRow("Python's own test messages") << "python";
    }
    void pythonMailboxReadsWhatWasWritten()
    {
        QFETCH(QString, kind);
        TempTree source, destination;
        QStringList list;
        if (kind == QLatin1String("generated")) {
            const QByteArray lines[] = {"From: a@x", "Subject: From lines", "", "From the start", ">From quoted",
                                        ">>From twice", "From", "body From x", "From 3"};
            const char *breaks[] = {"\r\n", "\r", "\n"};
            for (const char *lineBreak : breaks) {
                QByteArray text;
                for (const QByteArray &line : lines)
                    text += line + lineBreak;
                const QString name = QString::number(list.size());
                list << source.file(QStringLiteral("Gen/%1.eml").arg(name), text)
                     << source.file(QStringLiteral("Gen/%1-envelope.eml").arg(name),
                                    "From someone@x Fri Jul  8 12:08:34 2011" + QByteArray(lineBreak) + text)
                     << source.file(QStringLiteral("Gen/%1-open.eml").arg(name), text + "From end");
            }
            list << source.file(QStringLiteral("Gen/empty.eml"));
        } else {
            const QDir data(QStringLiteral("/usr/lib/python3.11/test/test_email/data"));
            if (!data.exists())
                QSKIP("libpython3.11-testsuite is not installed");
            for (const QString &name : data.entryList({QStringLiteral("msg_*.txt")}, QDir::Files, QDir::Name))
                list << data.filePath(name);
            QVERIFY(list.size() > 10);
        }
        const QString dest = destination.root() + QLatin1Char('/');
        QVERIFY(Convert(list, dest).Succeeded());

        QMap<QString, QStringList> sourcesByMbox;
        QStringList order;
        for (const QString &path : list) {
            const QString mbox = OutputFor(path, dest).file;
            if (!sourcesByMbox.contains(mbox))
                order << mbox;
            sourcesByMbox[mbox] << path;
        }
        QJsonArray request;
        for (const QString &mbox : order)
            request.append(QJsonObject{{QStringLiteral("mbox"), mbox},
                                       {QStringLiteral("sources"), QJsonArray::fromStringList(sourcesByMbox[mbox])}});
        QProcess python;
        python.start(QStringLiteral("python3"),
                     {QStringLiteral(QUORVEL_SOURCE_DIR "/tests/engine/mboxrd_check.py")});
        if (!python.waitForStarted())
            QSKIP("python3 is not available");
        python.write(QJsonDocument(request).toJson());
        python.closeWriteChannel();
        QVERIFY(python.waitForFinished(120000));
        QVERIFY2(python.exitCode() == 0, python.readAllStandardOutput() + python.readAllStandardError());
    }
};

QTEST_GUILESS_MAIN(ConversionRunTest)
#include "tst_conversionrun.moc"
