#include "engine/run/ConversionRun.h"
#include "engine/support/FileDescriptor.h"
#include "engine/support/Yielder.h"
#include "Records.h"
#include "TempTree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <optional>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// What a planted link, a full folder name, a folder the user may not write
// to, another program's lock or an mbox among its own sources do to a run.
namespace {

QByteArray message(const char *from, const QByteArray &text)
{
    return "From: " + QByteArray(from) + "\r\nDate: 5 Mar 2024 10:00:00 +0000\r\n\r\n" + text + "\r\n";
}

struct FailureObserver : ConversionObserver {
    std::function<void()> onFailure;
    void bytesRead(qint64, qint64) override {}
    void messageDone(int, int) override {}
    void messageFailed(const QString &, const QString &) override
    {
        if (onFailure)
            onFailure();
    }
};

ConversionResult run(const QList<ConversionEntry> &entries, const ConversionRules &rules, FailureObserver &&observer = {})
{
    NoYield yielder;
    return convertEntries(entries, rules, observer, yielder);
}

} // namespace

class MboxSafetyTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        state_.emplace();
        qputenv("XDG_STATE_HOME", QFile::encodeName(state_->root()));
    }

    // A link planted where the run's mbox goes, and one where its side file
    // goes, must not lead a write or a cut to the file outside.
    // A descriptor handed from one holder to another is closed once, by the
    // last; one it replaces is closed at once. A second close could hit a
    // descriptor the process has opened since, an mbox's.
    void handedDescriptorIsClosedOnceByItsLastHolder_data()
    {
        QTest::addColumn<bool>("overAHeldOne");
        QTest::newRow("into a new holder") << false;
        QTest::newRow("over one already held") << true;
    }
    void handedDescriptorIsClosedOnceByItsLastHolder()
    {
        QFETCH(bool, overAHeldOne);
        const auto open = [](int fd) { return ::fcntl(fd, F_GETFD) != -1; };
        int handed = -1, replaced = -1;
        {
            std::optional<FileDescriptor> last;
            {
                FileDescriptor first(::open("/dev/null", O_RDONLY | O_CLOEXEC));
                handed = first.get();
                if (overAHeldOne) {
                    last.emplace(::open("/dev/null", O_RDONLY | O_CLOEXEC));
                    replaced = last->get();
                    *last = std::move(first);
                    QVERIFY(!open(replaced));
                } else {
                    last.emplace(std::move(first));
                }
                QVERIFY(!first.valid());
            }
            QVERIFY(open(handed));
            QCOMPARE(last->get(), handed);
        }
        QVERIFY(!open(handed));
    }

    void plantedLinksAreNotFollowed_data()
    {
        QTest::addColumn<QString>("planted");
        QTest::newRow("link in the mbox's place") << "mbox link";
        QTest::newRow("link in the side file's place") << "side file link";
        QTest::newRow("another user's side file") << "foreign side file";
    }
    void plantedLinksAreNotFollowed()
    {
        QFETCH(QString, planted);
        const bool mboxLink = planted == QLatin1String("mbox link");
        TempTree source, destination, outside;
        const QString path = source.file(QStringLiteral("In/1.eml"), message("a@x", "one"));
        const QString dest = destination.root() + QLatin1Char('/');
        const QString mbox = outputFor(path, dest).file;
        const QByteArray precious = "From p@x Tue Mar 05 10:00:00 2024\r\nprecious\r\n\r\n";
        const QString target = outside.file(QStringLiteral("precious"), precious);
        destination.folder(mbox.mid(dest.size()).section(QLatin1Char('/'), 0, -2));
        if (mboxLink) {
            QVERIFY(QFile::link(target, mbox));
        } else {
            const QString side = QFileInfo(mbox).path() + QStringLiteral("/.In.mbox.append");
            if (planted == QLatin1String("side file link")) {
                QVERIFY(QFile::link(target, side));
            } else {
                destination.file(side.mid(dest.size()), precious);
                if (::chown(QFile::encodeName(side).constData(), 65534, 65534) != 0)
                    QSKIP("cannot give a file to another user here");
            }
            destination.file(mbox.mid(dest.size()), "From z@x Wed Mar 06 10:00:00 2024\r\nX: 1");
        }
        const ConversionResult result = run({{path, {}}}, {.naming = MboxNaming::mirror(dest)});
        QCOMPARE(TempTree::read(target), precious);
        if (mboxLink) {
            QCOMPARE(result.failures.size(), 1);
            QVERIFY2(result.failures[0].reason.contains(QStringLiteral("symbolic link")), qPrintable(result.failures[0].reason));
        } else {
            QVERIFY(result.succeeded());
            QVERIFY(TempTree::read(mbox).startsWith("From z@x Wed Mar 06 10:00:00 2024\r\nX: 1\r\n\r\nFrom a@x"));
            QVERIFY(!result.notes.isEmpty());
            QVERIFY2(result.notes[0].text.contains(planted == QLatin1String("side file link") ? QStringLiteral("symbolic link")
                                                                                            : QStringLiteral("another user")),
                     qPrintable(result.notes[0].text));
        }
    }

    void linkTheUserNamedIsFollowedAndNamed()
    {
        TempTree source, outside;
        const QString path = source.file(QStringLiteral("In/1.eml"), message("a@x", "one"));
        const QString target = outside.file(QStringLiteral("real.mbox"), "");
        const QString link = source.path(QStringLiteral("all.mbox"));
        QVERIFY(QFile::link(target, link));
        const ConversionResult result = run({{path}}, {.naming = MboxNaming::single(link)});
        QVERIFY(result.succeeded());
        QVERIFY(TempTree::read(target).startsWith("From a@x "));
        QCOMPARE(result.notes.size(), 1);
        QVERIFY2(result.notes[0].text.contains(target), qPrintable(result.notes[0].text));
    }

    // "--single all.mbox ./*" with all.mbox among the files.
    void mboxAmongItsOwnSourcesIsNotRead()
    {
        TempTree tree;
        const QString one = tree.file(QStringLiteral("1.eml"), message("a@x", "one"));
        const QString all = tree.file(QStringLiteral("all.mbox"), "From b@x Tue Mar 05 10:00:00 2024\r\nhi\r\n\r\n");
        const QString alias = tree.path(QStringLiteral("alias.eml"));
        QVERIFY(QFile::link(all, alias));
        const ConversionResult result = run({{all, all}, {one, all}, {alias, all}}, {});
        QCOMPARE(result.written, 1);
        QCOMPARE(result.failures.size(), 2);
        QCOMPARE(result.failures[0].path, all);
        QCOMPARE(result.failures[1].path, alias);
        QVERIFY(result.failures[0].reason.contains(QStringLiteral("appends to")));
    }

    // Once a wait for another program's lock has run out, the mbox's other
    // messages fail at once, even when the lock is gone by then.
    void lockIsWaitedForOncePerMbox()
    {
        TempTree source, destination;
        const QString dest = destination.root() + QLatin1Char('/');
        const QString locked = destination.file(QStringLiteral("locked.mbox"), "");
        const QString free = dest + QStringLiteral("free.mbox");
        int fd = ::open(QFile::encodeName(locked).constData(), O_RDWR);
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        QVERIFY(fd >= 0 && ::fcntl(fd, F_OFD_SETLK, &lock) == 0);
        QList<ConversionEntry> entries;
        for (int k = 0; k < 4; ++k)
            entries.append({source.file(QStringLiteral("%1.eml").arg(k), message("a@x", QByteArray::number(k))), k == 1 ? free : locked});
        FailureObserver observer;
        observer.onFailure = [&] {
            if (fd >= 0)
                ::close(fd);
            fd = -1;
        };
        const ConversionResult result = run(entries, {.lockWait = std::chrono::milliseconds(50)}, std::move(observer));
        QCOMPARE(result.written, 1);
        QCOMPARE(result.failures.size(), 3);
        for (const ConversionFailure &failure : result.failures)
            QCOMPARE(failure.reason, QStringLiteral("the mbox file is locked by another program"));
    }

    // Folder names of up to 250 bytes make legal mbox names; the side file's
    // name must be legal too.
    void longFolderNamesStillTakeASideFile_data()
    {
        QTest::addColumn<int>("length");
        QTest::newRow("243 bytes") << 243;
        QTest::newRow("250 bytes") << 250;
    }
    void longFolderNamesStillTakeASideFile()
    {
        QFETCH(int, length);
        TempTree source, destination;
        const QString folder = QString(length, QLatin1Char('f'));
        const QString path = source.file(folder + QStringLiteral("/1.eml"), message("a@x", "one"));
        const QString dest = destination.root() + QLatin1Char('/');
        const ConversionResult result = run({{path, {}}, {path, {}}}, {.naming = MboxNaming::mirror(dest)});
        QVERIFY2(result.succeeded(), result.failures.isEmpty() ? "" : qPrintable(result.failures[0].reason));
        QCOMPARE(QDir(QFileInfo(outputFor(path, dest).file).path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
        QVERIFY(!QFileInfo::exists(state_->path(QStringLiteral("quorvel/appends"))));  // it was made beside the mbox
    }

    // A spool folder the user may not create in keeps no side file; it goes
    // to the user's state folder, and the next run finds it there. Something
    // in the side file's place stands in for the folder's refusal (the tests
    // run as root).
    void sideFileGoesToTheStateFolderWhenTheMboxFolderRefusesIt()
    {
        TempTree source, destination;
        const QString dest = destination.root() + QLatin1Char('/');
        const QString mbox = destination.file(QStringLiteral("spool/ann"), "");
        destination.folder(QStringLiteral("spool/.ann.append"));
        const QString big = source.file(QStringLiteral("big.eml"), message("b@x", QByteArray("0123456789abcdef\r\n").repeated(30000)));
        const QString small = source.file(QStringLiteral("small.eml"), message("s@x", "small"));
        bool stopped = false;
        int pieces = 0;
        try {
            (void)appendMboxRecord(mbox, TempTree::read(big), {.betweenChunks = [&] {
                if (++pieces == 2)
                    throw Interrupted{};
            }});
        } catch (const Interrupted &) {
            stopped = true;
        }
        QVERIFY(stopped);
        QCOMPARE(QFileInfo(mbox).size(), 0);  // cut back, with the side file in the state folder

        // Killed instead: the piece already written is left to the next run.
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            pieces = 0;
            (void)appendMboxRecord(mbox, TempTree::read(big), {.betweenChunks = [&] {
                if (++pieces == 2)
                    ::_exit(9);
            }});
            ::_exit(0);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(QFileInfo(mbox).size() > 0);
        const ConversionResult result = run({{small, mbox}}, {});
        QVERIFY(result.succeeded());
        QVERIFY(TempTree::read(mbox).startsWith("From s@x "));
        QVERIFY(!result.notes.isEmpty() && result.notes.last().text.contains(QStringLiteral("cut off")));
    }

    // The same in a real spool folder (root's, mode 2775, the mbox the
    // user's), as another user than root: the append is killed midway, and
    // the next run finds the side file in the state folder and cuts.
    void spoolFolderTheUserMayNotWriteTo()
    {
        constexpr uid_t User = 65534;
        TempTree tree;
        QVERIFY(::chmod(QFile::encodeName(tree.root()).constData(), 0755) == 0);
        const QString spool = tree.folder(QStringLiteral("spool"));
        const QString mbox = tree.file(QStringLiteral("spool/ann"), "");
        const QString state = tree.folder(QStringLiteral("state"));
        const QString small = tree.file(QStringLiteral("small.eml"), message("s@x", "small"));
        const QByteArray big = message("b@x", QByteArray("0123456789abcdef\r\n").repeated(30000));
        if (::chown(QFile::encodeName(mbox).constData(), User, User) != 0
            || ::chown(QFile::encodeName(state).constData(), User, User) != 0
            || ::chmod(QFile::encodeName(spool).constData(), 02775) != 0)
            QSKIP("cannot give files to another user here");
        auto asUser = [&](const std::function<int()> &work) {
            const pid_t child = ::fork();
            if (child == 0) {
                qputenv("XDG_STATE_HOME", QFile::encodeName(state));
                ::_exit(::setgid(User) == 0 && ::setuid(User) == 0 ? work() : 3);
            }
            int status = 0;
            return ::waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        };
        QCOMPARE(asUser([&] {
            int pieces = 0;
            (void)appendMboxRecord(mbox, big, {.betweenChunks = [&] {
                if (++pieces == 2)
                    ::_exit(0);  // killed midway
            }});
            return 1;
        }), 0);
        QVERIFY(QFileInfo(mbox).size() > 0);
        QCOMPARE(QDir(spool).entryList(QDir::Files | QDir::Hidden).size(), 1);
        QCOMPARE(asUser([&] {
            const ConversionResult result = run({{small, mbox}}, {});
            return result.succeeded() && !result.notes.isEmpty() && result.notes.last().text.contains(QStringLiteral("cut off")) ? 0 : 1;
        }), 0);
        QVERIFY(TempTree::read(mbox).startsWith("From s@x "));
    }

private:
    std::optional<TempTree> state_;
};

QTEST_GUILESS_MAIN(MboxSafetyTest)
#include "tst_mboxsafety.moc"
