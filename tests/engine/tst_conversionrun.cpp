#include "engine/mbox/AppendMarker.h"
#include "engine/mbox/StreamHash.h"
#include "engine/message/MessageReader.h"
#include "engine/run/ConversionRun.h"
#include "engine/support/FileDescriptor.h"
#include "engine/support/Yielder.h"
#include "Records.h"
#include "SmallDisk.h"
#include "TempTree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>
#include <csignal>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
struct RecordingObserver : ConversionObserver {
    QList<QPair<qint64, qint64>> bytes;
    QList<QPair<int, int>> done;
    std::function<void()> onBytes;
    void bytesRead(qint64 body, qint64 size) override
    {
        bytes.append({body, size});
        if (onBytes)
            onBytes();
    }
    void messageDone(int number, int total) override
    {
        done.append({number, total});
        if (onDone)
            onDone(number);
    }
    void messageSkipped(const QString &, const QString &, qint64 matchOffset) override { skippedAt.append(matchOffset); }
    void messageWarning(const QString &source, const QString &) override { warned.append(source); }
    std::function<void(int)> onDone;
    QList<qint64> skippedAt;
    QStringList warned;
};

struct StoppableYielder : Yielder {
    bool stop = false;
    void yield() override { if (stop) throw Interrupted{}; }
    void yieldNow() override { yield(); }
};

QByteArray message(const char *from, int day, const QByteArray &text)
{
    return "From: " + QByteArray(from) + "\r\nDate: " + QByteArray::number(day) + " Mar 2024 10:00:00 +0000\r\n\r\n" + text + "\r\n";
}

// What the mbox must hold for a message(from, day, text).
QByteArray record(const char *from, const char *weekday, int day, const QByteArray &text)
{
    return "From " + QByteArray(from) + ' ' + weekday + " Mar 0" + QByteArray::number(day) + " 10:00:00 2024\r\n"
         + message(from, day, text) + "\r\n";
}

QString mboxOf(const QString &destination, const QString &sourceFolder)
{
    return destination + sourceFolder.mid(1) + QLatin1Char('/') + sourceFolder.section(QLatin1Char('/'), -1) + QStringLiteral(".mbox");
}

// The side file as an append of planned at start leaves it when killed while
// the piece [done, end) of it goes out.
bool markPiece(const QString &mbox, int start, const QByteArray &planned, int done, int end, bool last)
{
    StreamHash hash;
    hash.feed(QByteArrayView(planned).first(done));
    AppendMarker::State state{start, done, hash.value(), end, 0, last, planned.mid(done, qMin(end - done, 1024))};
    hash.feed(QByteArrayView(planned).sliced(done, end - done));
    state.endHash = hash.value();
    struct stat info {};
    return ::stat(QFile::encodeName(mbox).constData(), &info) == 0 && AppendMarker(mbox).write(state, info).isEmpty();
}

// The record of a message from a@x dated 5 March 2024.
QByteArray recordOf(const QByteArray &message)
{
    return mboxRecord(QStringLiteral("a@x"), QDateTime(QDate(2024, 3, 5), QTime(10, 0), Qt::UTC), message);
}

// A record as a writer that quotes no "From " line leaves it.
QByteArray foreignRecord(const QByteArray &message)
{
    return "From b@y Tue Mar  5 10:00:00 2024\r\n" + message + "\r\n";
}

ConversionResult convert(const QStringList &paths, const QString &destination, RecordingObserver &&observer = {})
{
    NoYield yielder;
    return convertMessages(paths, destination, observer, yielder);
}
} // namespace

class ConversionRunTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A NUL byte cuts the name short for the system: in.eml<NUL>.eml would open in.eml.
    void nameWithNulOpensNothing()
    {
        TempTree source, destination;
        const QString cut = source.file(QStringLiteral("in.eml"), "Subject: not this one\r\n\r\nbody\r\n");
        const ConversionResult result = convert({cut + QChar(0) + QStringLiteral(".eml")}, destination.root() + QLatin1Char('/'));
        QCOMPARE(result.written, 0);
        QCOMPARE(result.failures.size(), 1);
        QVERIFY2(result.failures[0].reason.contains(QStringLiteral("NUL")), qPrintable(result.failures[0].reason));
        QVERIFY(QDir(destination.root()).isEmpty());
    }
    void outputFor_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("destination");
        QTest::addColumn<QString>("file");
        QTest::newRow("mirrors the source folder") << "/Mail/Inbox/1.eml" << "/Export/" << "/Export/Mail/Inbox/Inbox.mbox";
        QTest::newRow("source directly under the root") << "/1.eml" << "/Export/" << "/Export/Export.mbox";
        QTest::newRow("bare name") << "1.eml" << "/Export/" << "/Export/Export.mbox";
        QTest::newRow("root as destination") << "/Mail/a.eml" << "/" << "/Mail/Mail.mbox";
        QTest::newRow("destination without separator") << "/Mail/a.eml" << "/Export" << "/Export/Mail/Mail.mbox";
        QTest::newRow("doubled separator") << "/Mail//a.eml" << "/E/" << "/E/Mail//.mbox";
    }
    void outputFor()
    {
        QFETCH(QString, source);
        QFETCH(QString, destination);
        QFETCH(QString, file);
        const OutputTarget target = ::outputFor(source, destination);
        QCOMPARE(target.file, file);
        QCOMPARE(target.folder, file.left(file.lastIndexOf(QLatin1Char('/')) + 1));
    }

    void noMboxNameForARootSourceInTheRoot()
    {
        try {
            ::outputFor(QStringLiteral("/a.eml"), QStringLiteral("/"));
            QFAIL("no error raised");
        } catch (const Failure &error) {
            QCOMPARE(error.kind(), FailureKind::NoMboxName);
        }
    }

    // A message whose mbox cannot be named fails at its turn, through the
    // observer; an mbox that cannot be flushed comes back marked as such.
    void namingAndFlushFailuresAreBothReported()
    {
        TempTree source, destination;
        const QString unnamed = source.file(QStringLiteral("In/1.eml"), message("a@x", 5, "one"));
        const QString written = source.file(QStringLiteral("In/2.eml"), message("a@x", 5, "two"));
        const QString mbox = destination.path(QStringLiteral("In.mbox"));
        struct : RecordingObserver {
            QStringList failed;
            void messageFailed(const QString &source, const QString &) override { failed.append(source); }
        } observer;
        // Once the last record is written, a FIFO without reader takes the mbox's place.
        observer.onDone = [&](int number) {
            if (number == 2)
                QVERIFY(QFile::remove(mbox) && ::mkfifo(QFile::encodeName(mbox).constData(), 0600) == 0);
        };
        // From the file's own name on, below the root: no folder to name the mbox after.
        const ConversionRules rules{.naming = {MboxNaming::Rule::Relative, QStringLiteral("/"), {}}};
        NoYield yielder;
        const ConversionResult result = convertEntries(
            {{unnamed, {}, unnamed.lastIndexOf(QLatin1Char('/')) + 1}, {written, mbox}}, rules, observer, yielder);
        QCOMPARE(result.written, 1);
        QCOMPARE(observer.failed, QStringList{unnamed});
        QCOMPARE(result.failures.size(), 2);
        QCOMPARE(result.failures[0].path, unnamed);
        QCOMPARE(result.failures[0].kind, ConversionFailure::Kind::Message);
        QCOMPARE(result.failures[1].path, mbox);
        QCOMPARE(result.failures[1].kind, ConversionFailure::Kind::Flush);
    }

    // The run's failure says it in words.
    void noMboxNameFailsInWords()
    {
        RecordingObserver observer;
        NoYield yielder;
        const ConversionResult result = convertMessages({QStringLiteral("/a.eml")}, QStringLiteral("/"), observer, yielder);
        QCOMPARE(result.failures.size(), 1);
        QCOMPARE(result.failures[0].cause, FailureKind::NoMboxName);
        QVERIFY2(result.failures[0].reason.startsWith(QStringLiteral("no mbox name can be made")), qPrintable(result.failures[0].reason));
    }

    void mboxPerFolderInListOrderDoubledBySecondRun()
    {
        TempTree source, destination;
        const QString one = source.file(QStringLiteral("Mail/Inbox/1.eml"), message("a@x", 5, "one"));
        const QString two = source.file(QStringLiteral("Mail/Inbox/2.eml"), message("b@x", 6, "two"));
        const QString three = source.file(QStringLiteral("Mail/Sent/3.eml"), message("c@x", 7, "three"));
        const QStringList list{two, QStringLiteral("  ") + three + QStringLiteral(" "), one};
        const QString dest = destination.root() + QLatin1Char('/');
        QVERIFY(convert(list, dest).succeeded());
        QVERIFY(convert(list, dest).succeeded());
        const QByteArray inbox = record("b@x", "Wed", 6, "two") + record("a@x", "Tue", 5, "one");
        QCOMPARE(TempTree::read(mboxOf(dest, source.path(QStringLiteral("Mail/Inbox")))), inbox + inbox);
        QCOMPARE(TempTree::read(mboxOf(dest, source.path(QStringLiteral("Mail/Sent")))), record("c@x", "Thu", 7, "three").repeated(2));
    }

    void progressAndZeroByteMessage()
    {
        TempTree source, destination;
        const QByteArray lf = "From: a@x\nDate: 5 Mar 2024 10:00:00 +0000\n\nhi\n";
        const QString empty = source.file(QStringLiteral("In/2.eml"));
        QFile file(empty);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime(QDate(2021, 6, 7), QTime(8, 9, 10), Qt::UTC), QFileDevice::FileModificationTime));
        file.close();
        const QStringList list{source.file(QStringLiteral("In/1.eml"), message("a@x", 5, "one")), empty,
                               source.file(QStringLiteral("In/3.eml"), lf)};
        RecordingObserver observer;
        NoYield yielder;
        const QString dest = destination.root() + QLatin1Char('/');
        QVERIFY(convertMessages(list, dest, observer, yielder).succeeded());
        QCOMPARE(observer.done, (QList<QPair<int, int>>{{1, 3}, {2, 3}, {3, 3}}));
        // Nothing for the zero-byte message; the LF one is widened by a CR a line, but
        // the figure shown stays within the file.
        const qint64 first = message("a@x", 5, "one").size();
        QCOMPARE(observer.bytes, (QList<QPair<qint64, qint64>>{{first, first}, {lf.size(), lf.size()}}));
        QCOMPARE(TempTree::read(mboxOf(dest, source.path(QStringLiteral("In")))),
                 record("a@x", "Tue", 5, "one") + "From MAILER-DAEMON Mon Jun 07 08:09:10 2021\r\n\r\n"
                 + record("a@x", "Tue", 5, "hi"));
    }

    void failingEntriesAreListedAndTheRunGoesOn()
    {
        TempTree source, destination;
        const QString dest = destination.root() + QLatin1Char('/');
        const QString good = source.file(QStringLiteral("In/good.eml"), message("a@x", 5, "one"));
        const QString fifo = source.path(QStringLiteral("In/x.eml"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const QString folder = source.folder(QStringLiteral("In/dir.eml"));
        const QString missing = source.path(QStringLiteral("In/missing.eml"));
        const QString blocked = source.file(QStringLiteral("Blocked/b.eml"), message("b@x", 6, "two"));
        destination.file(source.path(QStringLiteral("Blocked")).mid(1), "a file where the folder must go");
        const QString unread = source.path(QStringLiteral("Unread/gone.eml"));
        const QStringList list{fifo, folder, QStringLiteral("   "), missing, good, blocked, unread};

        auto running = std::async(std::launch::async, [&] { return convert(list, dest); });
        if (running.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
            ::close(::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK));  // releases a stuck reader
            QFAIL("the run waited on the FIFO");
        }
        const ConversionResult result = running.get();
        QCOMPARE(result.written, 1);
        QStringList failed;
        for (const ConversionFailure &failure : result.failures)
            failed << failure.path + (failure.reason.isEmpty() ? QStringLiteral(" without reason") : QString());
        QCOMPARE(failed, (QStringList{fifo, folder, QString(), missing, blocked, unread}));
        const QString blockedFolder = ::outputFor(blocked, dest).folder;
        QCOMPARE(result.failures[4].reason, QStringLiteral("cannot create the folder ") + blockedFolder + QStringLiteral(": ") + systemReason(EEXIST));
        QVERIFY2(!QFileInfo::exists(::outputFor(unread, dest).folder), "no folder is made for messages none of which was read");
        QCOMPARE(TempTree::read(mboxOf(dest, source.path(QStringLiteral("In")))), record("a@x", "Tue", 5, "one"));
        QCOMPARE(result.total, 7);
    }

    void messageLargerThanAPieceIsStreamedByteExact_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("cut");  // bytes of text before a piece boundary
        QTest::addColumn<QByteArray>("quoted");
        const QByteArray crlf = "\r\nFrom here\r\n", crlfQuoted = "\r\n>From here\r\n";
        QTest::newRow("between CR and LF before From") << crlf << 1 << crlfQuoted;
        QTest::newRow("line starts at the boundary") << crlf << 2 << crlfQuoted;
        QTest::newRow("after F") << crlf << 3 << crlfQuoted;
        QTest::newRow("before the space of From") << crlf << 6 << crlfQuoted;
        QTest::newRow("lone CR, then From") << QByteArray("\rFrom here\r") << 1 << QByteArray("\r\n>From here\r\n");
        QTest::newRow("lone LF, then From") << QByteArray("\nFrom here\n") << 1 << QByteArray("\r\n>From here\r\n");
        QTest::newRow("inside the >s of a quoted From") << QByteArray("\r\n>>>From here\r\n") << 4 << QByteArray("\r\n>>>>From here\r\n");
        QTest::newRow(">s, then no From") << QByteArray("\r\n>>Fro\r\n") << 4 << QByteArray("\r\n>>Fro\r\n");
        QTest::newRow("CR CR LF around the boundary") << QByteArray("\r\r\nFrom here\r\n") << 2 << QByteArray("\r\n\r\n>From here\r\n");
    }
    void messageLargerThanAPieceIsStreamedByteExact()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, cut);
        QFETCH(QByteArray, quoted);
        QByteArray message = "From: s@x\r\nDate: 6 Mar 2024 10:00:00 +0000\r\n\r\n", expected = message;
        for (qint64 boundary : {MessageReader::PieceSize, 2 * MessageReader::PieceSize, 3 * MessageReader::PieceSize}) {
            const QByteArray filler = (QByteArray(62, 'x') + "\r\n").repeated((boundary - cut - message.size()) / 64)
                                      + QByteArray((boundary - cut - message.size()) % 64, 'y');
            message += filler + text;
            expected += filler + quoted;
        }
        message += "end\r\n";
        expected = "From s@x Wed Mar 06 10:00:00 2024\r\n" + expected + "end\r\n\r\n";

        TempTree source, destination;
        const QString path = source.file(QStringLiteral("In/big.eml"), message);
        const QString dest = destination.root() + QLatin1Char('/');
        const QString mbox = ::outputFor(path, dest).file;
        qint64 writtenBeforeTheEnd = -1;
        RecordingObserver observer;
        observer.onBytes = [&] {
            if (writtenBeforeTheEnd < 0 && observer.bytes.last().first > MessageReader::PieceSize)
                writtenBeforeTheEnd = QFileInfo(mbox).size();
        };
        NoYield yielder;
        QVERIFY(convertMessages({path}, dest, observer, yielder).succeeded());
        QVERIFY2(writtenBeforeTheEnd > 0, "the record is written while the message is read, not held whole");
        const QByteArray written = TempTree::read(mbox);
        QCOMPARE(written.size(), expected.size());
        QVERIFY(written == expected);
        QVERIFY(written == mboxRecord(QStringLiteral("s@x"), QDateTime(QDate(2024, 3, 6), QTime(10, 0), Qt::UTC), message));
    }

    // What a crash, another program, an earlier run or a restored backup left
    // at the end of an mbox: the next record must be a message of its own,
    // and only bytes that are exactly the start of the record the side file
    // describes are cut.
    void mboxEndIsRepairedBeforeTheNextRecord_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("planned");  // the record the side file describes; empty: none
        QTest::addColumn<int>("start");           // -1: a side file torn itself
        QTest::addColumn<int>("done");            // the side file's bytes written before the piece
        QTest::addColumn<int>("end");             // and once it is there
        QTest::addColumn<bool>("last");
        QTest::addColumn<QByteArray>("repaired");
        QTest::addColumn<QStringList>("notes");
        const QByteArray earlier = record("a@x", "Tue", 5, "one");
        const int at = int(earlier.size());
        const QByteArray torn = "From z@x Wed Mar 06 10:00:00 2024\r\nX: 1\r\n\r\nAAAA";
        const QByteArray planned = torn + "BBBB\r\n\r\n";
        const int size = int(planned.size());
        const QByteArray other = "From b@y Thu Mar 07 10:00:00 2024\r\nhi\r\n";
        const QByteArray large = "From z@x Wed Mar 06 10:00:00 2024\r\n" + QByteArray("0123456789abcdef\r\n").repeated(20000) + "\r\n";
        QByteArray restored = large;
        restored.replace('7', '8');
        const int piece = 128 * 1024;
        const QString cut = QStringLiteral("cut off"), ends = QStringLiteral("line ends were added"),
                      ignored = QStringLiteral("was ignored"), kept = QStringLiteral("unfinished at byte %1").arg(at);
        QTest::newRow("torn record of ours") << earlier + torn << planned << at << 0 << size << true << earlier << QStringList{cut};
        QTest::newRow("torn inside its separator line") << earlier + torn.left(9) << planned << at << 0 << size << true << earlier << QStringList{cut};
        QTest::newRow("side file, no byte appended yet") << earlier << planned << at << 0 << size << true << earlier << QStringList{};
        QTest::newRow("whole record, side file not yet emptied") << earlier + planned << planned << at << 0 << size << true
                                                                 << earlier + planned << QStringList{};
        QTest::newRow("large record torn after a whole piece") << earlier + large.left(piece) << large << at << 0 << piece << false
                                                               << earlier << QStringList{cut};
        QTest::newRow("large record torn, then another program's message")
            << earlier + large.left(piece + 100) + "\r\n" + other << large << at << piece << 2 * piece << false
            << earlier + large.left(piece + 100) + "\r\n" + other + "\r\n" << QStringList{kept, ends};
        QTest::newRow("whole large record, then another program's message")
            << earlier + large + other << large << at << piece * 2 << int(large.size()) << true
            << earlier + large + other + "\r\n" << QStringList{ends};
        QTest::newRow("side file torn itself") << earlier << QByteArray() << -1 << 0 << 0 << false << earlier << QStringList{ignored};
        QTest::newRow("side file, another program's record there") << earlier + other << planned << at << 0 << size << true
                                                                   << earlier + other + "\r\n" << QStringList{ignored, ends};
        QTest::newRow("side file past the end") << earlier << planned << at + 100 << 0 << size << true << earlier << QStringList{ignored};
        QTest::newRow("side file of a record, mbox restored from a backup") << earlier + restored << large << at << piece << 2 * piece
                                                                            << false << earlier + restored << QStringList{ignored};
        QTest::newRow("ends inside a line") << earlier + other + "hal" << QByteArray() << 0 << 0 << 0 << false
                                            << earlier + other + "hal\r\n\r\n" << QStringList{ends};
        QTest::newRow("ends without its empty line, LF") << QByteArray("From b@y Thu Mar 07 10:00:00 2024\nhi\n") << QByteArray() << 0 << 0 << 0 << false
                                                        << QByteArray("From b@y Thu Mar 07 10:00:00 2024\nhi\n\r\n") << QStringList{ends};
        QTest::newRow("torn between CR and LF") << earlier.chopped(1) << QByteArray() << 0 << 0 << 0 << false << earlier << QStringList{ends};
        QTest::newRow("whole records of LF lines") << QByteArray("From b@y Thu Mar 07 10:00:00 2024\nhi\n\n") << QByteArray() << 0 << 0 << 0 << false
                                                  << QByteArray("From b@y Thu Mar 07 10:00:00 2024\nhi\n\n") << QStringList{};
        QTest::newRow("empty file") << QByteArray() << QByteArray() << 0 << 0 << 0 << false << QByteArray() << QStringList{};
    }
    void mboxEndIsRepairedBeforeTheNextRecord()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, planned);
        QFETCH(int, start);
        QFETCH(int, done);
        QFETCH(int, end);
        QFETCH(bool, last);
        QFETCH(QByteArray, repaired);
        QFETCH(QStringList, notes);
        TempTree source, destination;
        const QString path = source.file(QStringLiteral("In/1.eml"), message("c@x", 8, "new"));
        const QString dest = destination.root() + QLatin1Char('/');
        const QString mbox = ::outputFor(path, dest).file;
        destination.file(mbox.mid(dest.size()), before);
        const QString marker = mbox.left(mbox.lastIndexOf(QLatin1Char('/')) + 1) + QStringLiteral(".In.mbox.append");
        if (!planned.isEmpty())
            QVERIFY(markPiece(mbox, start, planned, done, end, last));
        else if (start == -1)
            destination.file(marker.mid(dest.size()), "quorvel-append 12");

        const ConversionResult result = convert({path}, dest);
        QVERIFY(result.succeeded());
        QCOMPARE(TempTree::read(mbox), repaired + record("c@x", "Fri", 8, "new"));
        QVERIFY(!QFileInfo::exists(marker));
        QCOMPARE(result.notes.size(), notes.size());
        for (qsizetype k = 0; k < notes.size(); ++k) {
            QCOMPARE(result.notes[k].path, mbox);
            QVERIFY2(result.notes[k].text.contains(notes[k]), qPrintable(result.notes[k].text));
        }
    }

    void tornRecordCutOffAlsoWhenTheMessageIsSkipped()
    {
        TempTree source, destination;
        const QString path = source.file(QStringLiteral("In/1.eml"), message("c@x", 8, "new"));
        const QString dest = destination.root() + QLatin1Char('/');
        const QString mbox = ::outputFor(path, dest).file;
        const QByteArray earlier = record("c@x", "Fri", 8, "new");
        destination.file(mbox.mid(dest.size()), earlier + "From z@x Wed Mar 06 10:00:00 2024\r\nX: 1");
        QVERIFY(markPiece(mbox, int(earlier.size()), "From z@x Wed Mar 06 10:00:00 2024\r\nX: 1\r\n\r\nAAAA\r\n\r\n", 0, 51, true));
        RecordingObserver observer;
        NoYield yielder;
        const ConversionResult result = convertEntries({{path, {}}}, {.naming = MboxNaming::mirror(dest), .skipDuplicates = true}, observer, yielder);
        QCOMPARE(result.skipped, 1);
        QCOMPARE(TempTree::read(mbox), earlier);
        QVERIFY(!QFileInfo::exists(mbox.left(mbox.lastIndexOf(QLatin1Char('/')) + 1) + QStringLiteral(".In.mbox.append")));
    }

    // A copy is what the mbox already holds, the same text line ends aside;
    // by default a shared Message-ID alone is no copy. A message not skipped
    // is written whole, and the next run skips it.
    void skipsOnlyCopies_data()
    {
        QTest::addColumn<QByteArray>("there");    // the mbox before the run
        QTest::addColumn<QByteArray>("message");  // CR LF lines; the source file has LF lines
        QTest::addColumn<bool>("byMessageId");
        QTest::addColumn<qint64>("copyAt");       // -1: written
        const QByteArray plain = message("a@x", 5, "From here on\r\n>From quoted"), other = message("a@x", 5, "other");
        const QByteArray id1 = "Message-ID: <1@x>\r\n" + plain, id1Other = "Message-ID: <1@x>\r\n" + other;
        const QByteArray manyQuotes = message("a@x", 5, QByteArray(4096, '>') + "From x");
        auto row = [](const char *name, const QByteArray &there, const QByteArray &message, bool byMessageId, qint64 copyAt) {
            QTest::newRow(name) << there << message << byMessageId << copyAt;
        };
        row("copy in the first record", recordOf(plain) + recordOf(other), plain, false, 0);
        row("copy in the second record", recordOf(other) + recordOf(plain), plain, false, recordOf(other).size());
        row("same Message-ID, other text", recordOf(id1Other), id1, false, -1);
        row("same Message-ID, other text, by Message-ID", recordOf(id1Other), id1, true, 0);
        row("torn record without its side file", recordOf(id1).chopped(12), id1, false, -1);
        row("4096 > then From, no Message-ID", {}, manyQuotes, false, -1);
        // Another program's records: a "From " line is a separator only after
        // an empty line, or where a Content-Length that fits says the body ends.
        const QByteArray team = message("a@x", 5, "thanks\r\nFrom the team: thanks.");
        row("unquoted From line after a text line", recordOf(other) + foreignRecord(team) + recordOf(id1), team, false,
            recordOf(other).size());
        const QByteArray kept = "one\r\n\r\nFrom the team: thanks.\r\n";
        const QByteArray counted = "Content-Length: " + QByteArray::number(kept.size()) + "\r\nSubject: c\r\n\r\n" + kept;
        row("Content-Length keeps a From line after an empty line", foreignRecord(counted) + recordOf(other), counted, false, 0);
    }
    void skipsOnlyCopies()
    {
        QFETCH(QByteArray, there);
        QFETCH(QByteArray, message);
        QFETCH(bool, byMessageId);
        QFETCH(qint64, copyAt);
        TempTree source, destination;
        const QString path = source.file(QStringLiteral("In/1.eml"), QByteArray(message).replace("\r\n", "\n"));
        const QString mbox = destination.file(QStringLiteral("In.mbox"), there);
        const ConversionRules rules{.skipDuplicates = true,
                                    .duplicates = byMessageId ? DuplicateRule::MessageId : DuplicateRule::ExactCopy};
        NoYield yielder;
        RecordingObserver observer;
        const ConversionResult result = convertEntries({{path, mbox}}, rules, observer, yielder);
        QVERIFY(result.succeeded());
        QCOMPARE(observer.skippedAt, copyAt < 0 ? QList<qint64>{} : QList<qint64>{copyAt});
        if (copyAt >= 0) {
            QCOMPARE(TempTree::read(mbox), there);
            return;
        }
        const QByteArray written = TempTree::read(mbox);
        QVERIFY(written.endsWith(recordOf(message)));
        RecordingObserver again;
        QCOMPARE(convertEntries({{path, mbox}}, rules, again, yielder).skipped, 1);
        QCOMPARE(again.skippedAt, QList<qint64>{written.size() - recordOf(message).size()});
        QCOMPARE(TempTree::read(mbox), written);
    }

    // Another run appends to the mbox between two messages of this one, or
    // the mbox is replaced: what is there is read under the lock before the
    // next decision.
    void theMboxAsItIsNowDecides_data()
    {
        QTest::addColumn<bool>("replaced");
        QTest::newRow("another run appends") << false;
        QTest::newRow("replaced by another file") << true;
    }
    void theMboxAsItIsNowDecides()
    {
        QFETCH(bool, replaced);
        TempTree source, destination;
        const QByteArray messages[] = {message("a@x", 5, "one"), message("a@x", 5, "two"), message("a@x", 5, "three")};
        QList<ConversionEntry> entries;
        const QString mbox = destination.path(QStringLiteral("In.mbox"));
        for (const QByteArray &message : messages)
            entries.append({source.file(QStringLiteral("In/%1.eml").arg(entries.size()), message), mbox});
        entries.append(entries[0]);
        const QByteArray others = recordOf(messages[1]) + recordOf(messages[2]);
        RecordingObserver observer;
        bool changed = false;
        observer.onDone = [&](int number) {
            if (number != 1)
                return;
            if (replaced)
                changed = ::rename(QFile::encodeName(destination.file(QStringLiteral("new.mbox"), others)).constData(),
                                   QFile::encodeName(mbox).constData()) == 0;
            else
                changed = appendMboxRecord(mbox, others).written;
        };
        NoYield yielder;
        // The run gives up its locks after each record, so the other writer here, in the same thread, gets its turn.
        const ConversionResult result = convertEntries(entries, {.skipDuplicates = true, .lockLease = {}}, observer, yielder);
        QVERIFY(changed);
        const qint64 one = recordOf(messages[0]).size(), two = recordOf(messages[1]).size();
        if (replaced) {  // the first message is no longer there: it goes again, behind the others
            QCOMPARE(result.written, 2);
            QCOMPARE(observer.skippedAt, (QList<qint64>{0, two}));
            QCOMPARE(TempTree::read(mbox), others + recordOf(messages[0]));
        } else {
            QCOMPARE(result.written, 1);
            QCOMPARE(observer.skippedAt, (QList<qint64>{one, one + two, 0}));
            QCOMPARE(TempTree::read(mbox), recordOf(messages[0]) + others);
        }
    }

    // Another program adds bytes to the mbox between two messages of this
    // run, after a record it had not ended: the mbox is split again from
    // that record on, as a reader of the whole file splits it.
    void grownMboxIsSplitAgainFromItsLastRecord_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("added");
        QTest::addColumn<QList<qint64>>("skippedAt");
        const QByteArray one = recordOf(message("a@x", 5, "one")), two = recordOf(message("a@x", 5, "two"));
        const qsizetype cut = two.size() - 6;
        QTest::newRow("a torn record finished") << one + two.first(cut) << two.sliced(cut) << QList<qint64>{0, one.size()};
        // Its "From " line follows a text line: the second message is the first one's body.
        QTest::newRow("a record after one without its empty line") << one.chopped(2) << two << QList<qint64>{0};
    }
    void grownMboxIsSplitAgainFromItsLastRecord()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, added);
        QFETCH(QList<qint64>, skippedAt);
        TempTree source, destination;
        const QString mbox = destination.file(QStringLiteral("In.mbox"), before);
        const QList<ConversionEntry> entries{{source.file(QStringLiteral("In/1.eml"), message("a@x", 5, "one")), mbox},
                                             {source.file(QStringLiteral("In/2.eml"), message("a@x", 5, "two")), mbox}};
        RecordingObserver observer;
        observer.onDone = [&](int number) {
            QFile file(mbox);
            QVERIFY(number != 1 || (file.open(QIODevice::Append) && file.write(added) == added.size()));
        };
        NoYield yielder;
        const ConversionResult result = convertEntries(entries, {.skipDuplicates = true, .lockLease = {}}, observer, yielder);
        QCOMPARE(observer.skippedAt, skippedAt);
        QCOMPARE(result.written, 2 - skippedAt.size());
    }

    void sourceWithoutHeaderFieldsIsWrittenAndWarned_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("warned");
        QTest::newRow("text note") << QByteArray("Remember the milk.\nAnd bread.\n") << true;
        QTest::newRow("PNG") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << true;
        QTest::newRow("empty file") << QByteArray() << true;
        QTest::newRow("empty first line") << QByteArray("\nbody\n") << true;
        QTest::newRow("folded line first") << QByteArray(" x: y\n\nbody\n") << true;
        QTest::newRow("header field") << QByteArray("Subject: s\n\nbody\n") << false;
        QTest::newRow("space before the colon") << QByteArray("Subject : s\n\nbody\n") << false;
        QTest::newRow("envelope line, then a field") << QByteArray("From a@x Fri Jul  8 12:08:34 2011\nSubject: s\n\n") << false;
    }
    void sourceWithoutHeaderFieldsIsWrittenAndWarned()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, warned);
        TempTree source, destination;
        const QString path = source.file(QStringLiteral("In/1.eml"), bytes);
        RecordingObserver observer;
        QVERIFY(convert({path}, destination.root(), std::move(observer)).succeeded());
        QCOMPARE(observer.warned, warned ? QStringList{path} : QStringList{});

        // Skipped as a copy on the next run, it joins nothing: no warning again.
        RecordingObserver again;
        NoYield yielder;
        const ConversionResult rerun = convertEntries({{path}}, {.naming = MboxNaming::mirror(destination.root()), .skipDuplicates = true}, again, yielder);
        QCOMPARE(rerun.skipped, 1);
        QCOMPARE(again.warned, QStringList{});
    }

    void lfRecordsFinishATornMboxWithLf()
    {
        TempTree source, destination;
        const QString path = source.file(QStringLiteral("In/1.eml"), message("c@x", 8, "new"));
        const QString dest = destination.root() + QLatin1Char('/');
        const QString mbox = ::outputFor(path, dest).file;
        const QString fresh = dest + QStringLiteral("fresh.mbox");
        RecordingObserver observer;
        NoYield yielder;
        QVERIFY(convertEntries({{path, fresh}}, {.naming = MboxNaming::mirror(dest), .lfLineEnds = true}, observer, yielder).succeeded());
        const QByteArray torn = "From b@y Thu Mar 07 10:00:00 2024\nhi\nhal";
        destination.file(mbox.mid(dest.size()), torn);
        QVERIFY(convertEntries({{path, {}}}, {.naming = MboxNaming::mirror(dest), .lfLineEnds = true}, observer, yielder).succeeded());
        QCOMPARE(TempTree::read(mbox), torn + "\n\n" + TempTree::read(fresh));
    }

    void appendKilledMidwayIsCutOffByTheNextRun()
    {
        TempTree source, destination;
        const QString path = source.file(QStringLiteral("In/1.eml"), message("c@x", 8, "new"));
        const QString dest = destination.root() + QLatin1Char('/');
        const QString mbox = ::outputFor(path, dest).file;
        const QByteArray earlier = record("a@x", "Tue", 5, "one");
        destination.file(mbox.mid(dest.size()), earlier);

        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            int pieces = 0;
            (void)appendMboxRecord(mbox, mboxRecord(QStringLiteral("k@x"), QDateTime::currentDateTimeUtc(), QByteArray(3 << 20, 'k')),
                                   {.betweenChunks = [&] {
                                       if (++pieces == 2)
                                           ::raise(SIGKILL);
                                   }});
            ::_exit(0);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        QVERIFY(QFileInfo(mbox).size() > earlier.size());

        const ConversionResult result = convert({path}, dest);
        QVERIFY(result.succeeded());
        QCOMPARE(TempTree::read(mbox), earlier + record("c@x", "Fri", 8, "new"));
        QCOMPARE(result.notes.size(), 1);
    }

    void interruptionLeavesOnlyWholeRecords()
    {
        TempTree source, destination;
        const QByteArray big = message("b@x", 6, QByteArray("0123456789abcdef\r\n").repeated(20000));
        const QStringList list{source.file(QStringLiteral("In/1.eml"), message("a@x", 5, "one")),
                               source.file(QStringLiteral("In/2.eml"), big)};
        RecordingObserver observer;
        StoppableYielder yielder;
        observer.onBytes = [&] {  // midway through the big one
            yielder.stop = observer.bytes.last().second == big.size() && observer.bytes.last().first < big.size();
        };
        const QString dest = destination.root() + QLatin1Char('/');
        QVERIFY_THROWS_EXCEPTION(Interrupted, convertMessages(list, dest, observer, yielder));
        QCOMPARE(TempTree::read(mboxOf(dest, source.path(QStringLiteral("In")))), record("a@x", "Tue", 5, "one"));
    }

    void fullOrReadOnlyDiskEndsTheRun_data()
    {
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<int>("error");
        QTest::newRow("full disk") << false << ENOSPC;
        QTest::newRow("read-only file system") << true << EROFS;
    }

    void fullOrReadOnlyDiskEndsTheRun()
    {
        QFETCH(bool, readOnly);
        QFETCH(int, error);
        const SmallDisk disk("2m", readOnly);
        if (!disk.mounted())
            QSKIP("no right to mount a tmpfs here");
        TempTree source;
        const QByteArray body = QByteArray("0123456789abcdef\r\n").repeated(6000);
        QStringList list;
        for (int i = 1; i <= 40; ++i)
            list << source.file(QStringLiteral("In/%1.eml").arg(i), message("a@x", 5, body));
        const QString dest = disk.path() + QLatin1Char('/');

        const ConversionResult result = convert(list, dest);
        QCOMPARE(result.stoppedBy, error);
        QCOMPARE(result.written > 0, !readOnly);
        QCOMPARE(result.failures.size(), 1);
        QCOMPARE(result.failures[0].path, list[result.written]);
        QCOMPARE(result.notTried, list.size() - result.written - 1);
        const QString mbox = mboxOf(dest, source.path(QStringLiteral("In")));
        if (!readOnly)
            QCOMPARE(TempTree::read(mbox), record("a@x", "Tue", 5, body).repeated(result.written));
        QCOMPARE(QFileInfo(QFileInfo(mbox).path() + QStringLiteral("/.In.mbox.append")).size(), 0);
    }

    void aRunStartedInsideAnotherIsRefused()
    {
        TempTree source, destination;
        const QString first = source.file(QStringLiteral("In/1.eml"), message("a@x.org", 1, "one"));
        QString nestedFailure;
        RecordingObserver observer;
        observer.onBytes = [&] {
            if (!nestedFailure.isEmpty())
                return;
            try {
                convert({first}, destination.root());
                nestedFailure = QStringLiteral("none");
            } catch (const Failure &error) {
                nestedFailure = error.kind() == FailureKind::AlreadyRunning ? QStringLiteral("already running") : error.reason();
            }
        };
        const QString dest = destination.root() + QLatin1Char('/');
        NoYield yielder;
        const ConversionResult result = convertMessages({first}, dest, observer, yielder);
        QCOMPARE(nestedFailure, QStringLiteral("already running"));
        QVERIFY(result.succeeded());
        QCOMPARE(TempTree::read(mboxOf(dest, source.path(QStringLiteral("In")))), record("a@x.org", "Fri", 1, "one"));
        QVERIFY(convert({first}, dest).succeeded());  // the guard is released
    }

    void pythonMailboxReadsWhatWasWritten_data()
    {
        QTest::addColumn<bool>("generated");
        QTest::newRow("generated messages") << true;
        QTest::newRow("Python's own test messages") << false;
    }
    void pythonMailboxReadsWhatWasWritten()
    {
        QFETCH(bool, generated);
        TempTree source, destination;
        QStringList list;
        if (generated) {
            const QByteArray lines[] = {"From: a@x", "Subject: From lines", "", "From the start", ">From quoted",
                                        ">>From twice", "From", "body From x", "From 3"};
            for (const char *lineBreak : {"\r\n", "\r", "\n"}) {
                QByteArray text;
                for (const QByteArray &line : lines)
                    text += line + lineBreak;
                const QString name = QStringLiteral("Gen/%1").arg(list.size());
                list << source.file(name + QStringLiteral(".eml"), text)
                     << source.file(name + QStringLiteral("-envelope.eml"), "From e@x Fri Jul  8 12:08:34 2011" + QByteArray(lineBreak) + text)
                     << source.file(name + QStringLiteral("-open.eml"), text + "From end");
            }
            list << source.file(QStringLiteral("Gen/empty.eml"));
        } else {
            const QDir data(QStringLiteral("/usr/lib/python3.11/test/test_email/data"));
            for (const QString &name : data.entryList({QStringLiteral("msg_*.txt")}, QDir::Files, QDir::Name))
                list << data.filePath(name);
            if (list.isEmpty())
                QSKIP("libpython3.11-testsuite is not installed");
        }
        const QString dest = destination.root() + QLatin1Char('/');
        QVERIFY(convert(list, dest).succeeded());

        QMap<QString, QJsonArray> sourcesByMbox;
        for (const QString &path : list)
            sourcesByMbox[::outputFor(path, dest).file].append(path);
        QJsonArray request;
        for (auto it = sourcesByMbox.cbegin(); it != sourcesByMbox.cend(); ++it)
            request.append(QJsonObject{{QStringLiteral("mbox"), it.key()}, {QStringLiteral("sources"), it.value()}});
        QProcess python;
        python.start(QStringLiteral("python3"), {QStringLiteral(QUORVEL_SOURCE_DIR "/tests/engine/mboxrd_check.py")});
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
