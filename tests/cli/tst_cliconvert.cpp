#include "CliRun.h"
#include "engine/run/ConversionRun.h"
#include "engine/support/FileNames.h"
#include "engine/support/Yielder.h"
#include "engine/walk/FolderMessages.h"
#include "SmallDisk.h"
#include "TempTree.h"

#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray message(int number, const QByteArray &body = "From the body\r\n")
{
    return "From: sender" + QByteArray::number(number) + "@example.org\r\nDate: " + QByteArray::number(1 + number % 28)
         + " Mar 2024 10:00:00 +0000\r\nMessage-ID: <" + QByteArray::number(number) + "@example.org>\r\n\r\n" + body;
}

// Every file below root, by its path under root, with its bytes.
QMap<QString, QByteArray> filesBelow(const QString &root)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(path.mid(root.size()), TempTree::read(path));
    }
    return files;
}

// What the window's add-folder command lists for the folder.
QStringList walkedMessages(const QString &folder)
{
    NoYield yielder;
    return messagesBelow(folder, yielder).messages;
}

// A mail tree: nested folders, names in mixed case, a file that is no message.
void makeMailTree(TempTree &tree)
{
    tree.file(QStringLiteral("Mail/Inbox/b.eml"), message(1));
    tree.file(QStringLiteral("Mail/Inbox/A.EML"), message(2, "no final line end"));
    tree.file(QStringLiteral("Mail/Inbox/notes.txt"), "not a message");
    tree.file(QStringLiteral("Mail/Sent/1.eml"), message(3, ">From quoted\nlone LF\r\n"));
    tree.file(QStringLiteral("Mail/top.eml"), message(4));
}

// Python's mailbox reads each mbox and finds one message per source, in
// order, equal to the source after mboxrd unquoting (tests/engine/mboxrd_check.py).
// Empty text when it does.
QByteArray readBackWithPython(const QList<QPair<QString, QStringList>> &mboxes, bool lf = false)
{
    QJsonArray entries;
    for (const auto &[mbox, sources] : mboxes)
        entries.append(QJsonObject{{QStringLiteral("mbox"), mbox}, {QStringLiteral("sources"), QJsonArray::fromStringList(sources)},
                                   {QStringLiteral("lf"), lf}});
    QProcess python;
    python.start(QStringLiteral("python3"), {QStringLiteral(QUORVEL_SOURCE_DIR "/tests/engine/mboxrd_check.py")});
    python.write(QJsonDocument(entries).toJson());
    python.closeWriteChannel();
    if (!python.waitForFinished(60000))
        return "python3 did not finish";
    const QByteArray said = python.readAllStandardOutput() + python.readAllStandardError();
    return python.exitCode() == 0 && said.isEmpty() ? QByteArray() : said + "(exit status " + QByteArray::number(python.exitCode()) + ")";
}

} // namespace

class CliConvertTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Usage errors: one line and the hint on stderr, exit status 2, as GNU tools do.
    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("said");
        QTest::newRow("unknown option") << QStringList{QStringLiteral("--bogus"), QStringLiteral("a.eml"), QStringLiteral("-o"), QStringLiteral("out")}
                                        << QByteArray("unknown option '--bogus'\n");
        QTest::newRow("file name taken for options")
            << QStringList{QStringLiteral("-weird.eml"), QStringLiteral("-o"), QStringLiteral("out")}
            << QByteArray("unknown option '-weird.eml' (to name a file that starts with '-', put -- before it)\n");
        QTest::newRow("NUL separation without a list") << QStringList{QStringLiteral("--null"), QStringLiteral("a.eml"), QStringLiteral("-o"), QStringLiteral("out")}
                                                       << QByteArray("--null needs --files-from\n");
        QTest::newRow("no destination") << QStringList{QStringLiteral("a.eml")} << QByteArray();
        QTest::newRow("no source") << QStringList{QStringLiteral("-o"), QStringLiteral("out")} << QByteArray();
        QTest::newRow("option without its value") << QStringList{QStringLiteral("a.eml"), QStringLiteral("-o")} << QByteArray();
        QTest::newRow("bad line ends") << QStringList{QStringLiteral("--line-endings"), QStringLiteral("cr"), QStringLiteral("a.eml"), QStringLiteral("-o"), QStringLiteral("out")} << QByteArray();
        QTest::newRow("bad progress") << QStringList{QStringLiteral("--progress"), QStringLiteral("often"), QStringLiteral("a.eml"), QStringLiteral("-o"), QStringLiteral("out")} << QByteArray();
        QTest::newRow("bad duplicate rule") << QStringList{QStringLiteral("--skip-duplicates"), QStringLiteral("--duplicates-by"), QStringLiteral("subject"), QStringLiteral("a.eml"), QStringLiteral("-o"), QStringLiteral("out")} << QByteArray();
        QTest::newRow("duplicate rule without skipping") << QStringList{QStringLiteral("--duplicates-by"), QStringLiteral("message-id"), QStringLiteral("a.eml"), QStringLiteral("-o"), QStringLiteral("out")}
                                                         << QByteArray("--duplicates-by needs --skip-duplicates\n");
        QTest::newRow("verify twice over") << QStringList{QStringLiteral("--verify"), QStringLiteral("--verify-only"), QStringLiteral("a.eml"), QStringLiteral("-o"), QStringLiteral("out")}
                                           << QByteArray("--verify and --verify-only cannot be used together\n");
        QTest::newRow("verify a dry run") << QStringList{QStringLiteral("-n"), QStringLiteral("--verify"), QStringLiteral("a.eml"), QStringLiteral("-o"), QStringLiteral("out")} << QByteArray();
        QTest::newRow("single and destination") << QStringList{QStringLiteral("--single"), QStringLiteral("x.mbox"), QStringLiteral("a.eml"), QStringLiteral("-o"), QStringLiteral("out")} << QByteArray();
        QTest::newRow("bad order") << QStringList{QStringLiteral("--order"), QStringLiteral("size"), QStringLiteral("a.eml"), QStringLiteral("-o"), QStringLiteral("out")} << QByteArray();
        QTest::newRow("manifest of a dry run") << QStringList{QStringLiteral("-n"), QStringLiteral("--manifest"), QStringLiteral("m.jsonl"), QStringLiteral("a.eml"), QStringLiteral("-o"), QStringLiteral("out")} << QByteArray();
    }
    void usageErrors()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, said);
        TempTree tree;
        const CliRun run = runCli(arguments, tree.root());
        QCOMPARE(run.exitCode, 2);
        const QList<QByteArray> lines = run.err.trimmed().split('\n');
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[0].startsWith("quorvel-convert: "));
        QVERIFY2(run.err.contains(": " + said), run.err.constData());
        QCOMPARE(lines[1], QByteArray("Try 'quorvel-convert --help' for more information."));
        QVERIFY(run.out.isEmpty());
        QVERIFY(!QFile::exists(tree.path(QStringLiteral("out"))));
    }

    void helpAndVersion()
    {
        const CliRun help = runCli({QStringLiteral("--help")});
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.out.startsWith("Usage: quorvel-convert [options] SOURCE... -o DEST\n"));
        const CliRun version = runCli({QStringLiteral("--version")});
        QCOMPARE(version.exitCode, 0);
        QCOMPARE(version.out, QByteArray("quorvel-convert " QUORVEL_VERSION "\n"));
    }

    // The command writes what the window's engine writes for the same list.
    void sameBytesAsTheWindow_data()
    {
        QTest::addColumn<QStringList>("sources");   // below the tree
        QTest::addColumn<QStringList>("messages");  // the list the window would convert; empty: walk sources[0]
        QTest::newRow("folder") << QStringList{QStringLiteral("Mail")} << QStringList{};
        QTest::newRow("files in the order given")
            << QStringList{QStringLiteral("Mail/Sent/1.eml"), QStringLiteral("Mail/Inbox/b.eml"), QStringLiteral("Mail/Inbox/notes.txt")}
            << QStringList{QStringLiteral("Mail/Sent/1.eml"), QStringLiteral("Mail/Inbox/b.eml"), QStringLiteral("Mail/Inbox/notes.txt")};
        QTest::newRow("folder then file") << QStringList{QStringLiteral("Mail/Sent"), QStringLiteral("Mail/top.eml")}
                                          << QStringList{QStringLiteral("Mail/Sent/1.eml"), QStringLiteral("Mail/top.eml")};
    }
    void sameBytesAsTheWindow()
    {
        QFETCH(QStringList, sources);
        QFETCH(QStringList, messages);
        TempTree tree;
        makeMailTree(tree);
        QStringList paths;
        for (const QString &message : messages)
            paths.append(tree.path(message));
        if (paths.isEmpty())
            paths = walkedMessages(tree.path(sources[0]));
        QVERIFY(paths.size() >= 2);

        NoYield yielder;
        struct : ConversionObserver {
            void bytesRead(qint64, qint64) override {}
            void messageDone(int, int) override {}
        } observer;
        const ConversionResult window = convertMessages(paths, tree.path(QStringLiteral("window")), observer, yielder);
        QCOMPARE(window.written, paths.size());

        QStringList arguments = sources;
        arguments << QStringLiteral("-o") << QStringLiteral("cli");
        const CliRun run = runCli(arguments, tree.root());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(filesBelow(tree.path(QStringLiteral("cli"))), filesBelow(tree.path(QStringLiteral("window"))));
        // notes.txt is written all the same, and named in a warning before the summary.
        const QList<QByteArray> lines = run.err.trimmed().split('\n');
        QVERIFY(lines.last().startsWith("converted " + QByteArray::number(paths.size()) + " of "
                                        + QByteArray::number(paths.size()) + " messages into "));
        const bool notes = messages.contains(QStringLiteral("Mail/Inbox/notes.txt"));
        QCOMPARE(lines.size(), notes ? 2 : 1);
        if (notes)
            QCOMPARE(lines.first(), "quorvel-convert: warning: " + QFile::encodeName(tree.path(QStringLiteral("Mail/Inbox/notes.txt")))
                                    + ": no header fields at its start: mail programs may join it to the message before it");
        QVERIFY(run.out.isEmpty());
    }

    // A failed message is named as cp names one, the others are written, exit status 1.
    void failureNamedAndCounted()
    {
        TempTree tree;
        makeMailTree(tree);
        const CliRun run = runCli({QStringLiteral("missing.eml"), QStringLiteral("Mail/top.eml"), QStringLiteral("-o"), QStringLiteral("out")}, tree.root());
        QCOMPARE(run.exitCode, 1);
        const QList<QByteArray> lines = run.err.trimmed().split('\n');
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[0].startsWith("quorvel-convert: " + tree.path(QStringLiteral("missing.eml")).toUtf8() + ": "));
        QVERIFY(lines[1].startsWith("converted 1 of 2 messages into 1 mbox file"));
        QVERIFY(lines[1].endsWith("; 1 failed, see above"));
    }

    // One line for the message that met the full disk, one for the stop; the
    // command it names adds the rest once there is room.
    void fullDiskStopsAndTheHintResumes()
    {
        SmallDisk disk("2m");
        if (!disk.mounted())
            QSKIP("no right to mount a tmpfs here");
        TempTree tree;
        for (int i = 1; i <= 40; ++i)
            tree.file(QStringLiteral("In/%1.eml").arg(i), message(i, QByteArray("0123456789abcdef\r\n").repeated(6000)));
        const QStringList arguments{tree.path(QStringLiteral("In")), QStringLiteral("--single"),
                                    disk.path() + QStringLiteral("/all.mbox")};
        const QString report = tree.path(QStringLiteral("run.json"));
        const CliRun full = runCli(QStringList(arguments) << QStringLiteral("--report") << report);
        QCOMPARE(full.exitCode, 1);
        const QList<QByteArray> lines = full.err.trimmed().split('\n');
        QCOMPARE(lines.size(), 3);
        QVERIFY2(lines[0].endsWith(": No space left on device"), lines[0].constData());
        QVERIFY2(lines[1].contains(" messages not tried") && lines[1].contains("--skip-duplicates"), lines[1].constData());
        const QJsonObject json = QJsonDocument::fromJson(TempTree::read(report)).object();
        const QJsonObject totals = json[QStringLiteral("totals")].toObject();
        QCOMPARE(json[QStringLiteral("stopped")][QStringLiteral("not_tried")].toInt(),
                 40 - totals[QStringLiteral("written")].toInt() - totals[QStringLiteral("failed")].toInt());

        QVERIFY(disk.grow("16m"));
        const CliRun resumed = runCli(QStringList(arguments) << QStringLiteral("--skip-duplicates"));
        QCOMPARE(resumed.exitCode, 0);
        QCOMPARE(TempTree::read(disk.path() + QStringLiteral("/all.mbox")).count("\r\nFrom "), 39);
    }

    void dryRunWritesNothing()
    {
        TempTree tree;
        makeMailTree(tree);
        const CliRun run = runCli({QStringLiteral("--dry-run"), QStringLiteral("Mail"), QStringLiteral("-o"), QStringLiteral("out")}, tree.root());
        QCOMPARE(run.exitCode, 0);
        QVERIFY(!QFile::exists(tree.path(QStringLiteral("out"))));
        const QList<QByteArray> lines = run.out.trimmed().split('\n');
        QCOMPARE(lines.size(), 4);
        // The walk is breadth first: the folder's own messages come before its subfolders'.
        const QString mbox = tree.path(QStringLiteral("out")) + tree.path(QStringLiteral("Mail/Mail.mbox"));
        QCOMPARE(lines[0], (tree.path(QStringLiteral("Mail/top.eml")) + QStringLiteral(" -> ") + mbox).toUtf8());

        // A message listed twice for one mbox would be skipped the second time.
        const CliRun twice = runCli({QStringLiteral("--dry-run"), QStringLiteral("--skip-duplicates"), QStringLiteral("--single"),
                                     QStringLiteral("out/one.mbox"), QStringLiteral("Mail"), QStringLiteral("Mail/top.eml")}, tree.root());
        QCOMPARE(twice.exitCode, 0);
        const QList<QByteArray> predicted = twice.out.trimmed().split('\n');
        QCOMPARE(predicted.size(), 5);
        QVERIFY2(predicted.last().contains(" -- a copy of a message listed before it"), predicted.last());
        QVERIFY(!QFile::exists(tree.path(QStringLiteral("out"))));
    }

    // The command says what went wrong in words, never the window's numbered texts.
    void anUnreadableMboxIsNamedInWords()
    {
        TempTree tree;
        tree.file(QStringLiteral("Mail/1.eml"), message(1));
        QVERIFY(QDir().mkpath(tree.path(QStringLiteral("out/Mail/Mail.mbox"))));
        const CliRun run = runCli({QStringLiteral("-n"), QStringLiteral("--skip-duplicates"), QStringLiteral("--relative"),
                                   QStringLiteral("Mail"), QStringLiteral("-o"), QStringLiteral("out")}, tree.root());
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("1.eml: cannot read the mbox file for the messages in it: the mbox file is not a regular file\n"), run.err);
    }

    // As cat and ls do: a listing that could not be written is not a success.
    void dryRunIntoAFullDiskFails()
    {
        TempTree tree;
        makeMailTree(tree);
        QProcess process;
        process.setWorkingDirectory(tree.root());
        process.setStandardOutputFile(QStringLiteral("/dev/full"));
        process.start(cliPath(), {QStringLiteral("--dry-run"), QStringLiteral("Mail"), QStringLiteral("-o"), QStringLiteral("out")});
        QVERIFY(process.waitForFinished(120000));
        QCOMPARE(process.exitCode(), 1);
        const QByteArray err = process.readAllStandardError();
        QVERIFY2(err.contains("quorvel-convert: standard output: " + QByteArray(std::strerror(ENOSPC))), err);
    }

    // Whatever --progress says, no progress line goes into a pipe.
    void noProgressIntoAPipe_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::newRow("auto") << QStringLiteral("auto");
        QTest::newRow("always") << QStringLiteral("always");
    }
    void noProgressIntoAPipe()
    {
        QFETCH(QString, mode);
        TempTree tree;
        makeMailTree(tree);
        const CliRun run = runCli({QStringLiteral("--progress"), mode, QStringLiteral("Mail"), QStringLiteral("-o"), QStringLiteral("out")}, tree.root());
        QCOMPARE(run.exitCode, 0);
        QVERIFY(!run.err.contains('\r'));
        QVERIFY(!run.err.contains('\033'));
        QCOMPARE(run.err.count('\n'), 1);  // the summary only
    }

    // The report parses with Python's json, its totals agree with the mbox
    // files, and a file name that is not UTF-8 comes back as its bytes.
    void reportReadByPython()
    {
        TempTree tree;
        makeMailTree(tree);
        // A folder named in Latin-1: its mbox's path carries the byte too.
        const QByteArray oddFolder = QFile::encodeName(tree.root()) + "/Mail/caf\xe9";
        QCOMPARE(::mkdir(oddFolder.constData(), 0755), 0);
        const int fd = ::open((oddFolder + "/1.eml").constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(fd >= 0);
        const QByteArray bytes = message(5);
        QCOMPARE(::write(fd, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
        ::close(fd);
        tree.file(QStringLiteral("Mail/Inbox/note.eml"), "Remember the milk.\n");
        const CliRun run = runCli({QStringLiteral("Mail"), QStringLiteral("gone.eml"), QStringLiteral("-o"), QStringLiteral("out"),
                                   QStringLiteral("--report"), QStringLiteral("report.json")}, tree.root());
        QCOMPARE(run.exitCode, 1);

        QProcess python;
        python.setWorkingDirectory(tree.root());
        python.start(QStringLiteral("python3"), {QStringLiteral("-c"), QStringLiteral(R"(
import json, os, sys
r = json.load(open('report.json', encoding='utf-8'))
t = r['totals']
assert (t['listed'], t['written'], t['skipped'], t['failed']) == (7, 6, 0, 1), t
assert t['bytes'] == sum(m['bytes'] for m in r['mboxes']) == sum(os.path.getsize(m['path']) for m in r['mboxes'])
assert sum(m['records'] for m in r['mboxes']) == 6
assert [w['path'] for w in r['warnings']] == [os.path.abspath('Mail/Inbox/note.eml')], r['warnings']
assert r['warnings'][0]['what'].startswith('no header fields at its start'), r['warnings']
assert [f['path'] for f in r['failures']] == [os.path.abspath('gone.eml')]
odd = [m['path'] for m in r['mboxes'] if m['path'].endswith('caf\udce9.mbox')]
assert len(odd) == 1 and os.path.exists(os.fsencode(odd[0])), odd
print('ok')
)")});
        QVERIFY(python.waitForFinished(60000));
        QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), tree.root()});  // QTemporaryDir cannot remove a name that is not UTF-8
        QCOMPARE(python.readAllStandardError(), QByteArray());
        QCOMPARE(python.readAllStandardOutput(), QByteArray("ok\n"));
    }

    // An mbox another program left torn is mended before the record, and the
    // mending is named on stderr and in the report, as a repair, not a failure.
    void repairNamedOnStderrAndInTheReport()
    {
        TempTree tree;
        makeMailTree(tree);
        const QString mbox = tree.file(QStringLiteral("all.mbox"), "From a@x Thu Mar 07 10:00:00 2024\nhal");
        const CliRun run = runCli({QStringLiteral("--single"), mbox, QStringLiteral("Mail/top.eml"),
                                   QStringLiteral("--report"), QStringLiteral("report.json")}, tree.root());
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.err.contains("quorvel-convert: " + QFile::encodeName(mbox) + ": the mbox file did not end with a whole record"),
                 run.err.constData());
        const QJsonArray repairs = QJsonDocument::fromJson(TempTree::read(tree.path(QStringLiteral("report.json")))).object()
                                       .value(QStringLiteral("repairs")).toArray();
        QCOMPARE(repairs.size(), 1);
        QCOMPARE(repairs[0].toObject().value(QStringLiteral("path")).toString(), mbox);
    }

    // "--single all.mbox ./*" with all.mbox among the files, the mbox named
    // through a link: the mbox is not read as a message, and the link's
    // target, which takes the messages, is named.
    void singleMboxAmongItsSourcesAndThroughALink()
    {
        TempTree tree;
        makeMailTree(tree);
        const QString target = tree.file(QStringLiteral("real/all.mbox"), "");
        QVERIFY(QFile::link(target, tree.path(QStringLiteral("Mail/all.mbox"))));
        const CliRun run = runCli({QStringLiteral("--single"), QStringLiteral("all.mbox"), QStringLiteral("all.mbox"),
                                   QStringLiteral("top.eml")}, tree.path(QStringLiteral("Mail")));
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("Mail/all.mbox: the file is an mbox file this run appends to"), run.err.constData());
        QVERIFY2(run.err.contains("symbolic link to " + QFile::encodeName(target)), run.err.constData());
        QCOMPARE(readBackWithPython({{target, {tree.path(QStringLiteral("Mail/top.eml"))}}}), QByteArray());
    }

    // The naming options and LF line ends, read back by Python's mailbox.
    // Each expected mbox is "MBOX:SOURCE,SOURCE..." below the tree.
    void namingAndLineEnds_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<bool>("lf");
        QTest::newRow("relative folder") << QStringList{QStringLiteral("--relative"), QStringLiteral("Mail"), QStringLiteral("-o"), QStringLiteral("out")}
                                         << QStringList{QStringLiteral("out/Mail/Mail.mbox:Mail/top.eml"),
                                                        QStringLiteral("out/Mail/Inbox/Inbox.mbox:Mail/Inbox/A.EML,Mail/Inbox/b.eml"),
                                                        QStringLiteral("out/Mail/Sent/Sent.mbox:Mail/Sent/1.eml")}
                                         << false;
        QTest::newRow("relative file") << QStringList{QStringLiteral("--relative"), QStringLiteral("Mail/Sent/1.eml"), QStringLiteral("-o"), QStringLiteral("out")}
                                       << QStringList{QStringLiteral("out/Sent/Sent.mbox:Mail/Sent/1.eml")} << false;
        QTest::newRow("single") << QStringList{QStringLiteral("--single"), QStringLiteral("all.mbox"), QStringLiteral("Mail/Sent"), QStringLiteral("Mail/top.eml")}
                                << QStringList{QStringLiteral("all.mbox:Mail/Sent/1.eml,Mail/top.eml")} << false;
        QTest::newRow("LF line ends") << QStringList{QStringLiteral("--line-endings"), QStringLiteral("lf"), QStringLiteral("--single"), QStringLiteral("lf.mbox"), QStringLiteral("Mail")}
                                      << QStringList{QStringLiteral("lf.mbox:Mail/lone-cr.eml,Mail/top.eml,Mail/Inbox/A.EML,Mail/Inbox/b.eml,Mail/Sent/1.eml")}
                                      << true;
    }
    void namingAndLineEnds()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, expected);
        QFETCH(bool, lf);
        TempTree tree;
        makeMailTree(tree);
        if (lf)
            tree.file(QStringLiteral("Mail/lone-cr.eml"), "Subject: cr\r\rFrom a lone CR line\rend\n");
        const CliRun run = runCli(arguments, tree.root());
        QCOMPARE(run.exitCode, 0);
        QList<QPair<QString, QStringList>> mboxes;
        qint64 bytes = 0;
        for (const QString &entry : expected) {
            QStringList sources;
            for (const QString &source : entry.section(QLatin1Char(':'), 1).split(QLatin1Char(',')))
                sources.append(tree.path(source));
            QString mbox = tree.path(entry.section(QLatin1Char(':'), 0, 0));
            mboxes.append({mbox, sources});
            bytes += QFileInfo(mbox).size();
        }
        QCOMPARE(readBackWithPython(mboxes, lf), QByteArray());
        QVERIFY(bytes > 0);
        if (lf)
            QVERIFY(!TempTree::read(mboxes[0].first).contains('\r'));
    }

    // --skip-duplicates: the same command twice appends nothing the second
    // time; a copy under another name is skipped within one run too.
    void skipDuplicates_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("alreadyThere");  // put into out/one.mbox by Python's mailbox first
        QTest::addColumn<int>("listed");
        QTest::addColumn<int>("firstWritten");
        QTest::newRow("folders") << QStringList{QStringLiteral("Mail"), QStringLiteral("-o"), QStringLiteral("out")} << QStringList{} << 6 << 5;
        QTest::newRow("copies into one mbox") << QStringList{QStringLiteral("--single"), QStringLiteral("out/one.mbox"), QStringLiteral("Mail"), QStringLiteral("Mail/top.eml")}
                                              << QStringList{} << 7 << 5;
        QTest::newRow("mbox written by Python's mailbox")
            << QStringList{QStringLiteral("--single"), QStringLiteral("out/one.mbox"), QStringLiteral("Mail")}
            << QStringList{QStringLiteral("Mail/top.eml"), QStringLiteral("Mail/Sent/2.eml")} << 6 << 3;
        // Mail/Inbox/c.eml has b.eml's Message-ID and another text.
        QTest::newRow("shared Message-ID")
            << QStringList{QStringLiteral("--single"), QStringLiteral("out/one.mbox"), QStringLiteral("Mail/Inbox")} << QStringList{} << 3 << 3;
        QTest::newRow("shared Message-ID, by Message-ID")
            << QStringList{QStringLiteral("--duplicates-by"), QStringLiteral("message-id"), QStringLiteral("--single"),
                           QStringLiteral("out/one.mbox"), QStringLiteral("Mail/Inbox")} << QStringList{} << 3 << 2;
    }
    void skipDuplicates()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, alreadyThere);
        QFETCH(int, listed);
        QFETCH(int, firstWritten);
        TempTree tree;
        makeMailTree(tree);
        // Without a Message-ID, a message is known by its bytes, whatever its line ends.
        tree.file(QStringLiteral("Mail/Sent/2.eml"), "Subject: no id\r\n\r\nFrom me\r\n");
        tree.file(QStringLiteral("Mail/Sent/3.eml"), "Subject: no id\n\nFrom me\n");
        if (arguments.contains(QStringLiteral("Mail/Inbox")))
            tree.file(QStringLiteral("Mail/Inbox/c.eml"), message(1, "another text\r\n"));
        if (!alreadyThere.isEmpty()) {
            tree.folder(QStringLiteral("out"));
            QProcess python;
            python.setWorkingDirectory(tree.root());
            python.start(QStringLiteral("python3"), QStringList{QStringLiteral("-c"), QStringLiteral(
                "import mailbox, sys\n"
                "box = mailbox.mbox('out/one.mbox')\n"
                "for path in sys.argv[1:]:\n"
                "    box.add(open(path, 'rb').read())\n"
                "box.close()\n")} + alreadyThere);
            QVERIFY(python.waitForFinished(60000));
            QCOMPARE(python.exitCode(), 0);
        }
        arguments << QStringLiteral("--skip-duplicates") << QStringLiteral("--report") << QStringLiteral("report.json");
        const auto totals = [&] {
            const QJsonObject object = QJsonDocument::fromJson(TempTree::read(tree.path(QStringLiteral("report.json")))).object();
            const QJsonObject totals = object.value(QStringLiteral("totals")).toObject();
            return QPair<int, int>(totals.value(QStringLiteral("written")).toInt(-1), totals.value(QStringLiteral("skipped")).toInt(-1));
        };
        QCOMPARE(runCli(arguments, tree.root()).exitCode, 0);
        QCOMPARE(totals(), qMakePair(firstWritten, listed - firstWritten));
        const QMap<QString, QByteArray> first = filesBelow(tree.path(QStringLiteral("out")));

        // A dry run says that every message would be skipped, and writes nothing.
        const CliRun dry = runCli(QStringList{QStringLiteral("--dry-run")} + arguments, tree.root());
        QCOMPARE(dry.exitCode, 0);
        const QList<QByteArray> predicted = dry.out.trimmed().split('\n');
        QCOMPARE(predicted.size(), listed);
        for (const QByteArray &line : predicted)
            QVERIFY2(line.contains(" -- already in "), line);
        QCOMPARE(filesBelow(tree.path(QStringLiteral("out"))), first);

        const CliRun again = runCli(arguments, tree.root());
        QCOMPARE(again.exitCode, 0);
        QCOMPARE(totals(), qMakePair(0, listed));
        QCOMPARE(filesBelow(tree.path(QStringLiteral("out"))), first);
        // The report names each message skipped and the record it matched.
        const QJsonArray skipped = QJsonDocument::fromJson(TempTree::read(tree.path(QStringLiteral("report.json"))))
                                       .object().value(QStringLiteral("skipped")).toArray();
        QCOMPARE(skipped.size(), listed);
        for (const QJsonValue &skip : skipped) {
            const QByteArray mbox = TempTree::read(skip[QStringLiteral("mbox")].toString());
            const qsizetype offset = skip[QStringLiteral("offset")].toInteger(-1);
            QVERIFY(offset >= 0 && mbox.mid(offset, 5) == "From " && (offset == 0 || mbox[offset - 1] == '\n'));
            QVERIFY(QFileInfo(skip[QStringLiteral("path")].toString()).isFile());
        }
    }

    // A stop signal in the middle of a run: the records written so far stay
    // whole and readable, the summary says so, exit status 130. The run is
    // held mid-way by its verbose lines going into a small FIFO nobody reads yet.
    void interruptedBySignal_data()
    {
        QTest::addColumn<QList<int>>("signals");
        QTest::newRow("SIGINT") << QList<int>{SIGINT};
        QTest::newRow("SIGTERM") << QList<int>{SIGTERM};
        QTest::newRow("SIGHUP") << QList<int>{SIGHUP};
        QTest::newRow("Ctrl+C twice") << QList<int>{SIGINT, SIGINT};
    }
    void interruptedBySignal()
    {
        QFETCH(QList<int>, signals);
        TempTree tree;
        QStringList sources;
        for (int k = 0; k < 200; ++k)
            sources.append(tree.file(QStringLiteral("Mail/Inbox/message-%1.eml").arg(k, 3, 10, QLatin1Char('0')), message(k)));
        const QString fifo = tree.path(QStringLiteral("verbose.fifo"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        QVERIFY(reader >= 0);
        ::fcntl(reader, F_SETPIPE_SZ, 4096);
        QProcess process;
        process.setWorkingDirectory(tree.root());
        process.setStandardOutputFile(fifo);
        process.start(cliPath(), {QStringLiteral("-v"), QStringLiteral("Mail"), QStringLiteral("-o"), QStringLiteral("out")});
        const QString mbox = tree.path(QStringLiteral("out")) + tree.path(QStringLiteral("Mail/Inbox/Inbox.mbox"));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(mbox).size() > 0, 60000);
        for (int signal : signals)
            QCOMPARE(::kill(pid_t(process.processId()), signal), 0);
        char buffer[4096];
        QTRY_VERIFY_WITH_TIMEOUT((::read(reader, buffer, sizeof buffer), process.state() == QProcess::NotRunning), 60000);
        ::close(reader);
        QCOMPARE(process.exitCode(), 130);

        const QList<QByteArray> lines = process.readAllStandardError().trimmed().split('\n');
        QVERIFY(lines.last().startsWith("stopped: converted "));
        const int written = lines.last().split(' ').at(2).toInt();
        QVERIFY2(written > 0 && written < sources.size(), lines.last());
        QCOMPARE(readBackWithPython({{mbox, sources.mid(0, written)}}), QByteArray());

        const CliRun resumed = runCli({QStringLiteral("--skip-duplicates"), QStringLiteral("Mail"), QStringLiteral("-o"), QStringLiteral("out")}, tree.root());
        QCOMPARE(resumed.exitCode, 0);
        QCOMPARE(readBackWithPython({{mbox, sources}}), QByteArray());
    }

    // A run that cannot work says so in one line before the first message,
    // exit status 2, and writes nothing. %ROOT% is the tree's root.
    void refusedBeforeTheFirstMessage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("named");  // the path the line names, below the tree unless absolute
        const QString mirrored = QStringLiteral("out%ROOT%/Mail/Mail.mbox");
        QTest::newRow("-o names a file") << QStringList{QStringLiteral("Mail"), QStringLiteral("-o"), QStringLiteral("afile")} << QStringLiteral("afile");
        QTest::newRow("-o below a file") << QStringList{QStringLiteral("Mail"), QStringLiteral("-o"), QStringLiteral("afile/out")} << QStringLiteral("afile");
        QTest::newRow("-o where nothing can be made") << QStringList{QStringLiteral("Mail"), QStringLiteral("-o"), QStringLiteral("/proc/quorvel-out")} << QStringLiteral("/proc");
        QTest::newRow("--single names a folder") << QStringList{QStringLiteral("Mail"), QStringLiteral("--single"), QStringLiteral("Mail")} << QStringLiteral("Mail");
        QTest::newRow("--single names a FIFO") << QStringList{QStringLiteral("Mail"), QStringLiteral("--single"), QStringLiteral("fifo")} << QStringLiteral("fifo");
        QTest::newRow("--single names a device") << QStringList{QStringLiteral("Mail"), QStringLiteral("--single"), QStringLiteral("/dev/null")} << QStringLiteral("/dev/null");
        QTest::newRow("--report below a file") << QStringList{QStringLiteral("Mail"), QStringLiteral("-o"), QStringLiteral("out"), QStringLiteral("--report"), QStringLiteral("afile/r.json")}
                                               << QStringLiteral("afile/r.json");
        QTest::newRow("--report names a folder") << QStringList{QStringLiteral("Mail"), QStringLiteral("-o"), QStringLiteral("out"), QStringLiteral("--report"), QStringLiteral("Mail")}
                                                 << QStringLiteral("Mail");
        QTest::newRow("--report names a message of a folder") << QStringList{QStringLiteral("--report"), QStringLiteral("Mail/top.eml"), QStringLiteral("Mail"), QStringLiteral("-o"), QStringLiteral("out")}
                                                              << QStringLiteral("Mail/top.eml");
        QTest::newRow("--report names the single mbox") << QStringList{QStringLiteral("Mail"), QStringLiteral("--single"), QStringLiteral("all.mbox"), QStringLiteral("--report"), QStringLiteral("all.mbox")}
                                                        << QStringLiteral("all.mbox");
        QTest::newRow("--report is a link to the single mbox") << QStringList{QStringLiteral("Mail"), QStringLiteral("--single"), QStringLiteral("all.mbox"), QStringLiteral("--report"), QStringLiteral("link.mbox")}
                                                               << QStringLiteral("link.mbox");
        QTest::newRow("--report names a mirrored mbox") << QStringList{QStringLiteral("Mail"), QStringLiteral("-o"), QStringLiteral("out"), QStringLiteral("--report"), mirrored}
                                                        << mirrored;
        QTest::newRow("--report names the single mbox, nothing listed")
            << QStringList{QStringLiteral("Empty"), QStringLiteral("--single"), QStringLiteral("all.mbox"), QStringLiteral("--report"), QStringLiteral("all.mbox")}
            << QStringLiteral("all.mbox");
        QTest::newRow("--report names the list") << QStringList{QStringLiteral("--files-from"), QStringLiteral("list"), QStringLiteral("-o"), QStringLiteral("out"), QStringLiteral("--report"), QStringLiteral("list")}
                                                 << QStringLiteral("list");
        QTest::newRow("dry run: -o names a file") << QStringList{QStringLiteral("-n"), QStringLiteral("Mail"), QStringLiteral("-o"), QStringLiteral("afile")} << QStringLiteral("afile");
    }
    void refusedBeforeTheFirstMessage()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, named);
        TempTree tree;
        makeMailTree(tree);
        tree.file(QStringLiteral("afile"), "a file");
        tree.file(QStringLiteral("list"), "Mail/top.eml\n");
        tree.folder(QStringLiteral("Empty"));
        tree.file(QStringLiteral("all.mbox"), "From a@x Thu Mar 07 10:00:00 2024\nSubject: kept\n\nbody\n\n");
        QCOMPARE(::link(QFile::encodeName(tree.path(QStringLiteral("all.mbox"))).constData(),
                        QFile::encodeName(tree.path(QStringLiteral("link.mbox"))).constData()), 0);
        QCOMPARE(::mkfifo(QFile::encodeName(tree.path(QStringLiteral("fifo"))).constData(), 0600), 0);
        tree.folder(QStringLiteral("out") + tree.path(QStringLiteral("Mail")));
        for (QString &argument : arguments)
            argument.replace(QStringLiteral("%ROOT%"), tree.root());
        named.replace(QStringLiteral("%ROOT%"), tree.root());
        const QMap<QString, QByteArray> before = filesBelow(tree.root());

        const CliRun run = runCli(arguments, tree.root());
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.err.count('\n'), 1);
        const QString path = named.startsWith(QLatin1Char('/')) ? named : tree.path(named);
        QVERIFY2(run.err.startsWith("quorvel-convert: " + QFile::encodeName(path) + ": "), run.err.constData());
        QVERIFY(run.out.isEmpty());
        QCOMPARE(filesBelow(tree.root()), before);
    }

    // The report goes where it is asked even when that is no file: a pipe.
    void reportIntoAPipe()
    {
        TempTree tree;
        makeMailTree(tree);
        const CliRun run = runCli({QStringLiteral("Mail/top.eml"), QStringLiteral("-o"), QStringLiteral("out"), QStringLiteral("-q"),
                                   QStringLiteral("--report"), QStringLiteral("/dev/stdout")}, tree.root());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(QJsonDocument::fromJson(run.out).object().value(QStringLiteral("totals")).toObject().value(QStringLiteral("written")).toInt(), 1);
    }

    // --files-from: a list of any length, of any names, as find -print0 writes it.
    void filesFrom_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("separator");
        QTest::addColumn<bool>("onStandardInput");
        QTest::newRow("NUL-separated file") << QStringList{QStringLiteral("--null"), QStringLiteral("--files-from"), QStringLiteral("list")} << QByteArray(1, '\0') << false;
        QTest::newRow("NUL-separated on standard input") << QStringList{QStringLiteral("--files-from"), QStringLiteral("-"), QStringLiteral("--null")} << QByteArray(1, '\0') << true;
        QTest::newRow("one a line") << QStringList{QStringLiteral("--files-from"), QStringLiteral("list")} << QByteArray("\n") << false;
    }
    void filesFrom()
    {
        QFETCH(QStringList, options);
        QFETCH(QByteArray, separator);
        QFETCH(bool, onStandardInput);
        TempTree tree;
        makeMailTree(tree);
        QStringList sources{tree.path(QStringLiteral("Mail/top.eml")), tree.path(QStringLiteral("Mail/Sent/1.eml"))};
        if (separator != "\n")
            sources.insert(1, tree.file(QStringLiteral("Mail/two\nlines.eml"), message(5)));
        QByteArray list;
        for (const QString &source : sources)
            list += QFile::encodeName(source) + separator;
        list.insert(list.indexOf(separator) + 1, separator);  // an empty entry is passed over
        if (!onStandardInput)
            tree.file(QStringLiteral("list"), list);
        const CliRun run = runCli(QStringList{QStringLiteral("Mail/Inbox/b.eml"), QStringLiteral("--single"), QStringLiteral("all.mbox")} + options,
                                  tree.root(), onStandardInput ? list : QByteArray());
        QCOMPARE(run.exitCode, 0);
        sources.prepend(tree.path(QStringLiteral("Mail/Inbox/b.eml")));
        QCOMPARE(readBackWithPython({{tree.path(QStringLiteral("all.mbox")), sources}}), QByteArray());
    }

    // A NUL byte in a list of lines names no file: the list is refused whole.
    void filesFromLineWithNul()
    {
        TempTree tree;
        makeMailTree(tree);
        tree.file(QStringLiteral("list"), "Mail/top.eml\n/etc/passwd" + QByteArray(1, '\0') + ".eml\n");
        const CliRun run = runCli({QStringLiteral("--files-from"), QStringLiteral("list"), QStringLiteral("-o"), QStringLiteral("out")}, tree.root());
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.startsWith("quorvel-convert: list: line 2 holds a NUL byte"),
                 run.err.constData());
        QVERIFY(!QFile::exists(tree.path(QStringLiteral("out"))));
    }

    // A name cannot forge a line or drive the terminal: control characters
    // are shown escaped on stdout and stderr.
    void controlCharactersInNamesEscaped()
    {
        TempTree tree;
        const QString forged = QStringLiteral("x\nquorvel-convert: 1.eml: converted fine\n\x1b]0;pwned\a.eml");
        tree.file(forged, message(1));
        // The reason names a folder too: the one that cannot be made where a file is.
        const QString folder = QStringLiteral("d\n\x1b[2J");
        tree.file(folder + QStringLiteral("/1.eml"), message(2));
        tree.file(QStringLiteral("out") + tree.path(folder), "in the way");
        const CliRun run = runCli({QStringLiteral("-v"), forged, QStringLiteral("gone") + forged, folder + QStringLiteral("/1.eml"),
                                   QStringLiteral("-o"), QStringLiteral("out")}, tree.root());
        QCOMPARE(run.exitCode, 1);
        const QByteArray shown = "x\\nquorvel-convert: 1.eml: converted fine\\n\\e]0;pwned\\a.eml";
        QCOMPARE(run.out.count('\n'), 1);
        QVERIFY2(run.out.startsWith(QFile::encodeName(tree.root()) + '/' + shown + " -> "), run.out.constData());
        QCOMPARE(run.err.count('\n'), 3);
        QVERIFY2(run.err.startsWith("quorvel-convert: " + QFile::encodeName(tree.root()) + "/gone" + shown + ": "), run.err.constData());
        QVERIFY(!(run.out + run.err).contains('\x1b'));
    }

    // The shorter spellings and the counts and sizes of the closing lines.
    void conventions_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("said");  // on stderr
        QTest::newRow("-n is --dry-run") << QStringList{QStringLiteral("-n"), QStringLiteral("Mail/top.eml"), QStringLiteral("-o"), QStringLiteral("out")}
                                         << QByteArray("would convert 1 message into 1 mbox file; nothing written\n");
        QTest::newRow("-- before a name that starts with -") << QStringList{QStringLiteral("-o"), QStringLiteral("out"), QStringLiteral("--"), QStringLiteral("-weird.eml")}
                                                              << QByteArray("converted 1 of 1 message into 1 mbox file (");
        QTest::newRow("line ends in capitals") << QStringList{QStringLiteral("--line-endings"), QStringLiteral("LF"), QStringLiteral("Mail/top.eml"), QStringLiteral("-o"), QStringLiteral("out")}
                                               << QByteArray("converted 1 of 1 message");
        QTest::newRow("one folder") << QStringList{QStringLiteral("-v"), QStringLiteral("Mail/Sent"), QStringLiteral("-o"), QStringLiteral("out")}
                                    << QByteArray("found 1 message in 1 folder\n");
        QTest::newRow("one duplicate") << QStringList{QStringLiteral("--skip-duplicates"), QStringLiteral("Mail/top.eml"), QStringLiteral("Mail/top.eml"), QStringLiteral("--single"), QStringLiteral("a.mbox")}
                                       << QByteArray("; 1 skipped as a duplicate\n");
        QTest::newRow("KiB") << QStringList{QStringLiteral("big.eml"), QStringLiteral("-o"), QStringLiteral("out")} << QByteArray(" (3.0 KiB) in ");
    }
    void conventions()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, said);
        TempTree tree;
        makeMailTree(tree);
        tree.file(QStringLiteral("-weird.eml"), message(5));
        // 3 KiB to the byte with its separator line, the blank line after it and the record's CR LF line ends.
        const QByteArray big = "Subject: big\r\n\r\n";
        const qsizetype separator = QByteArray("From MAILER-DAEMON Thu Jan  1 00:00:00 1970\r\n").size() + 2;
        tree.file(QStringLiteral("big.eml"), big + QByteArray(3072 - separator - big.size(), 'x'));
        const CliRun run = runCli(arguments, tree.root());
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.err.contains(said), run.err.constData());
    }
};

QTEST_GUILESS_MAIN(CliConvertTest)
#include "tst_cliconvert.moc"
