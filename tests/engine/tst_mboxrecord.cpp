#include "engine/mbox/BodyQuoter.h"
#include "engine/mbox/MboxAppender.h"
#include "engine/mbox/MboxRecord.h"
#include "engine/mbox/StreamHash.h"
#include "engine/message/MailDate.h"
#include "engine/message/MessageReader.h"
#include "engine/support/FileDescriptor.h"
#include "engine/support/Yielder.h"
#include "Records.h"
#include "TempTree.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <cerrno>
#include <climits>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
QDateTime utc(const char *iso)
{
    return QDateTime::fromString(QString::fromLatin1(iso) + QLatin1Char('Z'), Qt::ISODate).toUTC();
}

// Injected system calls: the first write stores storedBeforeFailing bytes,
// every later one fails as on a full disk.
qsizetype storedBeforeFailing = 0;
bool truncateFails = false;
int writeCalls = 0;
ssize_t failingWrite(int fd, const void *data, size_t size)
{
    if (writeCalls++ == 0 && storedBeforeFailing > 0)
        return ::write(fd, data, qMin(size, size_t(storedBeforeFailing)));
    errno = ENOSPC;
    return -1;
}
int truncate(int fd, off_t length)
{
    if (!truncateFails)
        return ::ftruncate(fd, length);
    errno = EIO;
    return -1;
}
// Holds a lock on a file until released: a write lock on the whole of it
// through another descriptor of this process, or in another process as mutt
// takes it (fcntl) or procmail (flock), or a dot-lock file beside it.
enum class LockKind { OwnDescriptor, Fcntl, Flock, DotLock };
class LockHolder {
public:
    LockHolder(const QString &path, bool otherProcess) : LockHolder(path, otherProcess ? LockKind::Fcntl : LockKind::OwnDescriptor) {}
    LockHolder(const QString &path, LockKind kind)
    {
        if (kind == LockKind::DotLock) {
            dotLock_ = QFile::encodeName(path) + ".lock";
            const FileDescriptor fd(::open(dotLock_.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644));
            held_ = fd.valid() && ::write(fd.get(), "1\n", 2) == 2;  // init: a process that is there
            return;
        }
        if (kind == LockKind::OwnDescriptor) {
            fd_.reset(::open(QFile::encodeName(path).constData(), O_RDWR));
            struct flock lock = wholeFile();
            held_ = fd_.valid() && ::fcntl(fd_.get(), F_OFD_SETLK, &lock) == 0;
            return;
        }
        int ready[2], release[2];
        if (::pipe(ready) != 0 || ::pipe(release) != 0)
            return;
        child_ = ::fork();
        if (child_ == 0) {
            ::close(ready[0]);
            ::close(release[1]);
            const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR);
            struct flock lock = wholeFile();
            const bool taken = fd >= 0 && (kind == LockKind::Flock ? ::flock(fd, LOCK_EX | LOCK_NB) == 0 : ::fcntl(fd, F_SETLK, &lock) == 0);
            const char answer = taken ? 'y' : 'n';
            ::write(ready[1], &answer, 1);
            char ignored;
            ::read(release[0], &ignored, 1);  // returns once the parent closes its end
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        char answer = 'n';
        held_ = child_ > 0 && ::read(ready[0], &answer, 1) == 1 && answer == 'y';
        ::close(ready[0]);
        release_.reset(release[1]);
    }
    ~LockHolder() { release(); }
    bool held() const { return held_; }
    void release()
    {
        if (!dotLock_.isEmpty())
            ::unlink(dotLock_.constData());
        dotLock_.clear();
        fd_.reset();
        release_.reset();
        if (child_ > 0)
            ::waitpid(child_, nullptr, 0);
        child_ = -1;
        held_ = false;
    }

private:
    static struct flock wholeFile()
    {
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        return lock;
    }
    FileDescriptor fd_, release_;
    pid_t child_ = -1;
    QByteArray dotLock_;
    bool held_ = false;
};
} // namespace
Q_DECLARE_METATYPE(LockKind)

class MboxRecordTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void separatorDate_data()
    {
        QTest::addColumn<QDateTime>("date");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("afternoon, day below 10") << utc("2024-03-05T14:07:09") << QByteArray("Tue Mar 05 14:07:09 2024");
        QTest::newRow("midnight") << utc("2023-12-31T00:00:00") << QByteArray("Sun Dec 31 00:00:00 2023");
        QTest::newRow("leap day") << utc("2000-02-29T23:59:59") << QByteArray("Tue Feb 29 23:59:59 2000");
        QTest::newRow("year 1") << utc("0001-01-01T01:02:03") << QByteArray("Mon Jan 01 01:02:03 0001");
        QTest::newRow("year 9999") << utc("9999-12-31T12:00:00") << QByteArray("Fri Dec 31 12:00:00 9999");
        QTest::newRow("invalid: the start of 1970") << QDateTime() << QByteArray("Thu Jan 01 00:00:00 1970");
        QTest::newRow("year 10000: the start of 1970") << QDateTime(QDate(10000, 1, 1), QTime(0, 0), Qt::UTC)
                                                       << QByteArray("Thu Jan 01 00:00:00 1970");
    }
    void separatorDate()
    {
        QFETCH(QDateTime, date);
        QFETCH(QByteArray, text);
        QCOMPARE(formatSeparatorDate(date), text);
        QCOMPARE(separatorLine(QString(), date), "From  " + text + "\r\n");  // empty sender: two spaces
    }

    void separatorDateReadsBackInEveryYear()
    {
        for (int year = 1; year <= 9999; ++year) {
            const QDateTime date(QDate(year, 7, 1), QTime(12, 0, 0), Qt::UTC);
            QCOMPARE(parseMailDate(formatSeparatorDate(date)), date);
        }
    }

    void body_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QByteArray>("body");
        auto row = [](const char *name, const QByteArray &message, const QByteArray &body) {
            QTest::newRow(name) << message << body;
        };
        row("CR LF lines", "Subject: a\r\n\r\nhi\r\n", "Subject: a\r\n\r\nhi\r\n");
        row("no break at the end", "Subject: a\r\n\r\nhi", "Subject: a\r\n\r\nhi\r\n");
        row("lone CR lines", "a\rb\r\rc\r", "a\r\nb\r\n\r\nc\r\n");
        row("lone LF lines", "a\nb\n", "a\r\nb\r\n");
        row("CR CR LF", "a\r\r\nb", "a\r\n\r\nb\r\n");
        row("LF CR", "a\n\rb", "a\r\n\r\nb\r\n");
        row("only LF", "\n", "\r\n");
        row("zero bytes", "", "");
        row("8-bit and NUL bytes", QByteArray("\xe9\xff\0x\r\n", 6), QByteArray("\xe9\xff\0x\r\n", 6));
        row("From line in the body", "X: 1\r\n\r\nFrom here on\r\n", "X: 1\r\n\r\n>From here on\r\n");
        row("From after CR", "a\rFrom b\r", "a\r\n>From b\r\n");
        row("From after LF", "a\nFrom b\n", "a\r\n>From b\r\n");
        row("From after CR LF at the end", "a\r\nFrom ", "a\r\n>From \r\n");
        row("quoted From gets one more", "x\r\n>From a\r\n>>From b\r\n", "x\r\n>>From a\r\n>>>From b\r\n");
        row("not From lines", "x\r\nFrom: a\r\n From b\r\nFromage\r\nFrom\r\n> From \nFrom", "x\r\nFrom: a\r\n From b\r\nFromage\r\nFrom\r\n> From \r\nFrom\r\n");
        row("envelope line left out", "From a@b Fri Jul  8 12:08:34 2011\r\nX: 1\r\n\r\nhi\r\n", "X: 1\r\n\r\nhi\r\n");
        row("envelope line ending in LF", "From a@b Fri Jul  8 12:08:34 2011\nX: 1\n\nhi\n", "X: 1\r\n\r\nhi\r\n");
        row("envelope line ending in CR", "From a@b Fri Jul  8 12:08:34 2011\rX: 1\r", "X: 1\r\n");
        row("envelope line alone", "From a@b Fri Jul  8 12:08:34 2011", "");
        row("From line after the envelope", "From a@b Fri Jul  8 12:08:34 2011\r\nFrom b\r\n", ">From b\r\n");
        row("obsolete From : field", "From : a@b\r\n\r\n", ">From : a@b\r\n\r\n");
        // A look at the lines in blocks of sixteen bytes ends between this CR and its LF.
        row("CR LF where a look in blocks ends", "a\r\n" + QByteArray(15, 'x') + "\r\n" + QByteArray(10, 'y'),
            "a\r\n" + QByteArray(15, 'x') + "\r\n" + QByteArray(10, 'y') + "\r\n");
    }
    void body()
    {
        QFETCH(QByteArray, message);
        QFETCH(QByteArray, body);
        const QDateTime date = utc("2024-03-05T14:07:09");
        QCOMPARE(mboxRecord(QStringLiteral("a@b"), date, message), separatorLine(QStringLiteral("a@b"), date) + body + "\r\n");
    }

    // The same rows, fed to the quoter in two pieces cut at every byte, and
    // one byte at a time: a message streamed from the disk is cut anywhere.
    void bodyFedInPiecesCutAnywhere_data() { body_data(); }
    void bodyFedInPiecesCutAnywhere()
    {
        QFETCH(QByteArray, message);
        QFETCH(QByteArray, body);
        for (const bool lf : {false, true}) {
            auto quoted = [lf](const QList<QByteArrayView> &pieces) {
                QByteArray out;
                OutputPieces gathered(3, [&](QByteArrayView piece) { out.append(piece); });
                BodyQuoter quoter(gathered, lf);
                for (QByteArrayView piece : pieces)
                    quoter.feed(piece);
                quoter.finish();
                gathered.flush();
                return out;
            };
            // With LF line ends every break is a lone LF, and nothing else changes.
            const QByteArray expected = lf ? QByteArray(body).replace("\r\n", "\n") : body;
            const QByteArrayView whole(message);
            for (qsizetype cut = 0; cut <= whole.size(); ++cut)
                QCOMPARE(quoted({whole.first(cut), whole.sliced(cut)}), expected);
            QList<QByteArrayView> bytes;
            for (qsizetype at = 0; at < whole.size(); ++at)
                bytes.append(whole.sliced(at, 1));
            QCOMPARE(quoted(bytes), expected);
        }
    }

    // Long lines are passed over in blocks: every kind of break, and every
    // kind of line after it, at every offset from where a block may start.
    void longLinesAtEveryOffset()
    {
        const QList<QByteArray> breaks{"\r\n", "\n", "\r", "\r\n\r\n", "\n\n"};
        const QList<QByteArray> starts{"From a", ">From b", ">>From c", "Fro", "x", ""};
        QByteArray message;
        QList<QByteArray> lines;  // what each line must read as
        for (int k = 0; k < 40; ++k) {
            message += QByteArray(20 + k, 'x') + breaks[k % breaks.size()] + starts[k % starts.size()] + QByteArray(k % 19, 'y')
                       + breaks[(k / 2) % breaks.size()];
            lines << QByteArray(20 + k, 'x');
            if (breaks[k % breaks.size()].size() == 4 || breaks[k % breaks.size()] == "\n\n")
                lines << QByteArray();
            const QByteArray start = starts[k % starts.size()];
            lines << (start.contains("From ") ? ">" : "") + start + QByteArray(k % 19, 'y');
            if (breaks[(k / 2) % breaks.size()].size() == 4 || breaks[(k / 2) % breaks.size()] == "\n\n")
                lines << QByteArray();
        }
        QList<qsizetype> pieces{7, message.size() + 2};
        for (qsizetype size = 18; size <= 60; ++size)
            pieces << size;  // where a look in blocks ends lands on every kind of byte
        for (const bool lf : {false, true}) {
            const QByteArray end = lf ? "\n" : "\r\n";
            QByteArray expected;
            for (const QByteArray &line : std::as_const(lines))
                expected += line + end;
            // Whether lines are looked for at all follows from the first break.
            for (const QByteArray &first : {QByteArray("a\r\n"), QByteArray("a\n")}) {
                const QByteArray whole = first + message;
                for (const qsizetype piece : std::as_const(pieces)) {
                    QByteArray out;
                    OutputPieces gathered(1024, [&](QByteArrayView bytes) { out.append(bytes); });
                    BodyQuoter quoter(gathered, lf);
                    for (qsizetype at = 0; at < whole.size(); at += piece)
                        quoter.feed(QByteArrayView(whole).sliced(at, qMin(piece, whole.size() - at)));
                    quoter.finish();
                    gathered.flush();
                    QCOMPARE(out, "a" + end + expected);
                }
            }
        }
    }

    // The run feeds a large message to RecordBody in slices and reports its
    // progress from bytesIn between them; the record goes out as it is quoted.
    void largeBodyFedInSlicesCountsAndHandsOnAsItGoes()
    {
        const QByteArray message = (QByteArray(76, 'A') + "\n").repeated(4000);
        constexpr qsizetype Slice = MessageReader::StreamPieceSize;
        QByteArray out;
        OutputPieces pieces(Slice, [&](QByteArrayView piece) { out.append(piece); });
        RecordBody body(pieces, false);
        QList<qint64> counted, expected;
        qsizetype handedOnBeforeTheEnd = 0;
        for (qsizetype at = 0; at < message.size(); at += Slice) {
            body.feed(QByteArrayView(message).sliced(at, qMin(Slice, message.size() - at)));
            counted.append(body.bytesIn());
            expected.append(qMin(at + Slice, message.size()));
            if (at + Slice < message.size())
                handedOnBeforeTheEnd = out.size();
        }
        body.finish();
        pieces.flush();
        QVERIFY(counted.size() >= 3);
        QCOMPARE(counted, expected);
        QVERIFY(handedOnBeforeTheEnd > 0);
        QCOMPARE(out, (QByteArray(76, 'A') + "\r\n").repeated(4000) + "\r\n");
    }

    // The side file's hash is taken a piece at a time as a record is written
    // and again in other pieces when it is judged: both must be XXH64 of the
    // whole (values from the reference xxHash library).
    void hashFedInPiecesIsXxh64OfTheWhole_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("step");
        QTest::addColumn<quint64>("expected");
        QTest::newRow("nothing") << 0 << 1 << quint64(0xef46db3751d8e999ull);
        QTest::newRow("31 bytes, one at a time") << 31 << 1 << quint64(0x4a74f3a1a39ad4a1ull);
        QTest::newRow("33 bytes in pieces of 7") << 33 << 7 << quint64(0x62c9fd21ed857664ull);
        QTest::newRow("1000 bytes in pieces of 13") << 1000 << 13 << quint64(0x99594f4828043d35ull);
        QTest::newRow("1000 bytes whole") << 1000 << 1000 << quint64(0x99594f4828043d35ull);
    }
    void hashFedInPiecesIsXxh64OfTheWhole()
    {
        QFETCH(int, length);
        QFETCH(int, step);
        QFETCH(quint64, expected);
        QByteArray bytes;
        for (int k = 0; k < length; ++k)
            bytes.append(char(k * 31 + 7));
        StreamHash hash;
        for (int at = 0; at < length; at += step)
            hash.feed(QByteArrayView(bytes).sliced(at, qMin(step, length - at)));
        QCOMPARE(hash.value(), expected);
    }

    void appendsBehindWhatTheFileHolds()
    {
        TempTree tree;
        const QString mbox = tree.path(QStringLiteral("Inbox.mbox"));
        const QByteArray first = mboxRecord(QStringLiteral("a@b"), utc("2024-03-05T14:07:09"), "X: 1\r\n\r\nhi");
        const QByteArray second = mboxRecord(QStringLiteral("c@d"), utc("2024-03-06T14:07:09"), "");
        const mode_t oldMask = ::umask(027);
        const bool written = appendMboxRecord(mbox, first).written && appendMboxRecord(mbox, second).written;
        ::umask(oldMask);
        QVERIFY(written);
        QCOMPARE(TempTree::read(mbox), QByteArray("From a@b Tue Mar 05 14:07:09 2024\r\nX: 1\r\n\r\nhi\r\n\r\n"
                                                  "From c@d Wed Mar 06 14:07:09 2024\r\n\r\n"));
        struct stat info {};
        QCOMPARE(::stat(QFile::encodeName(mbox).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, mode_t(0640));
    }

    void failedWriteIsCutBack_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<bool>("cutBackFails");
        QTest::newRow("nothing written") << 0 << false;
        QTest::newRow("short write, then full") << 7 << false;
        QTest::newRow("cut-back fails too") << 7 << true;
    }
    void failedWriteIsCutBack()
    {
        QFETCH(int, stored);
        QFETCH(bool, cutBackFails);
        TempTree tree;
        const QByteArray earlier = "From a Tue Mar 05 14:07:09 2024\r\nX: 1\r\n\r\n";
        const QString mbox = tree.file(QStringLiteral("Inbox.mbox"), earlier);
        storedBeforeFailing = stored;
        truncateFails = cutBackFails;
        writeCalls = 0;
        const AppendOutcome outcome = appendMboxRecord(mbox, QByteArray(1000, 'r'), {.io = {&failingWrite, &truncate}});
        QVERIFY(!outcome.written);
        QVERIFY2(outcome.reason.contains(QStringLiteral("No space left")), qPrintable(outcome.reason));
        QCOMPARE(outcome.error, ENOSPC);
        QCOMPARE(outcome.reason.contains(QStringLiteral("cut back")), cutBackFails);
        if (!cutBackFails)
            QCOMPARE(TempTree::read(mbox), earlier);
    }

    void largeRecordStoppedBetweenPiecesIsCutBack()
    {
        TempTree tree;
        const QByteArray earlier = "From a Tue Mar 05 14:07:09 2024\r\nX: 1\r\n\r\n";
        const QString mbox = tree.file(QStringLiteral("Inbox.mbox"), earlier);
        const QByteArray large(3 * 1024 * 1024, 'r');
        int pauses = 0;
        bool stopped = false;
        try {
            (void)appendMboxRecord(mbox, large, {.betweenChunks = [&] {
                if (++pauses == 2)
                    throw Interrupted{};
            }});
        } catch (const Interrupted &) {
            stopped = true;
        }
        QVERIFY(stopped);
        QCOMPARE(TempTree::read(mbox), earlier);

        pauses = 0;
        QVERIFY(appendMboxRecord(mbox, large, {.betweenChunks = [&] { ++pauses; }}).written);
        QVERIFY(pauses >= 2);
        QCOMPARE(TempTree::read(mbox), earlier + large);
    }

    void appendWaitsForTheMboxLock_data()
    {
        QTest::addColumn<LockKind>("kind");
        QTest::newRow("another descriptor of this process") << LockKind::OwnDescriptor;
        QTest::newRow("another process, classic fcntl lock as mutt takes it") << LockKind::Fcntl;
        QTest::newRow("another process, flock as procmail takes it") << LockKind::Flock;
        QTest::newRow("dot-lock file of a live process") << LockKind::DotLock;
    }
    void appendWaitsForTheMboxLock()
    {
        QFETCH(LockKind, kind);
        TempTree tree;
        const QByteArray earlier = "From a Tue Mar 05 14:07:09 2024\r\nX: 1\r\n\r\n";
        const QByteArray record = "From b Wed Mar 06 14:07:09 2024\r\nX: 2\r\n\r\n";
        const QString mbox = tree.file(QStringLiteral("Inbox.mbox"), earlier);
        LockHolder holder(mbox, kind);
        QVERIFY(holder.held());
        int tries = 0;
        QByteArray seenWhileWaiting;
        const AppendOutcome outcome = appendMboxRecord(mbox, record, {.betweenChunks = [&] {
            if (++tries == 3) {
                seenWhileWaiting = TempTree::read(mbox);
                holder.release();
            }
        }});
        QVERIFY(outcome.written);
        QCOMPARE(tries, 3);
        QCOMPARE(seenWhileWaiting, earlier);
        QCOMPARE(TempTree::read(mbox), earlier + record);
    }

    // Kept for the next record while the lease lasts, given up after it.
    void locksAreKeptBetweenRecordsForTheirLease_data()
    {
        QTest::addColumn<int>("leaseMs");
        QTest::addColumn<bool>("keptAfterTheRecord");
        QTest::newRow("lease running") << 60000 << true;
        QTest::newRow("lease run out") << 0 << false;
    }
    void locksAreKeptBetweenRecordsForTheirLease()
    {
        QFETCH(int, leaseMs);
        QFETCH(bool, keptAfterTheRecord);
        TempTree tree;
        const QString mbox = tree.file(QStringLiteral("Inbox.mbox"), "");
        MboxAppender appender(mbox, {.lockLease = std::chrono::milliseconds(leaseMs)});
        QVERIFY(appender.append("From b Wed Mar 06 14:07:09 2024\r\n\r\n", {}).written);
        const bool dotLockThere = QFileInfo::exists(mbox + QStringLiteral(".lock"));
        LockHolder other(mbox, LockKind::Fcntl);
        QCOMPARE(other.held(), !keptAfterTheRecord);
        QCOMPARE(dotLockThere, keptAfterTheRecord);
    }

    void lockNotHadInTimeFailsTheRecord()
    {
        TempTree tree;
        const QByteArray earlier = "From a Tue Mar 05 14:07:09 2024\r\nX: 1\r\n\r\n";
        const QString mbox = tree.file(QStringLiteral("Inbox.mbox"), earlier);
        LockHolder holder(mbox, true);
        QVERIFY(holder.held());
        const AppendOutcome outcome = appendMboxRecord(mbox, "From b\r\n", {.lockWait = std::chrono::milliseconds(0)});
        QVERIFY(!outcome.written);
        QCOMPARE(outcome.reason, QStringLiteral("the mbox file is locked by another program"));
        QCOMPARE(TempTree::read(mbox), earlier);
    }

    // A dot-lock file a crashed program left: older than mail programs let
    // one stand, or naming a process that is gone.
    void staleDotLockIsBroken_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("ageSeconds");
        QTest::newRow("older than five minutes") << QByteArray("1\n") << 6 * 60;
        QTest::newRow("its process is gone") << QByteArray::number(qint64(INT_MAX - 7)) << 0;
    }
    void staleDotLockIsBroken()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, ageSeconds);
        TempTree tree;
        const QString mbox = tree.file(QStringLiteral("Inbox.mbox"), "");
        const QString dotLock = tree.file(QStringLiteral("Inbox.mbox.lock"), text);
        const struct timespec times[2] = {{::time(nullptr) - ageSeconds, 0}, {::time(nullptr) - ageSeconds, 0}};
        QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(dotLock).constData(), times, 0), 0);
        const AppendOutcome outcome = appendMboxRecord(mbox, "From b\r\n\r\n", {.lockWait = std::chrono::seconds(10)});
        QVERIFY2(outcome.written, qPrintable(outcome.reason));
        QVERIFY(!QFileInfo::exists(dotLock));
    }

    void mboxNameOnSomethingElseThanAFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("link to the full device") << "/dev/full";
        QTest::newRow("FIFO, no reader") << "fifo";
    }
    void mboxNameOnSomethingElseThanAFile()
    {
        QFETCH(QString, kind);
        TempTree tree;
        const QString mbox = tree.path(QStringLiteral("Inbox.mbox"));
        if (kind == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(QFile::encodeName(mbox).constData(), 0600), 0);
        else if (!QFile::exists(kind) || !QFile::link(kind, mbox))
            QSKIP("no full device here");
        const AppendOutcome outcome = appendMboxRecord(mbox, "From x\r\n\r\n");
        QVERIFY(!outcome.written);
        QVERIFY(!outcome.reason.isEmpty());
    }
};

QTEST_GUILESS_MAIN(MboxRecordTest)
#include "tst_mboxrecord.moc"
