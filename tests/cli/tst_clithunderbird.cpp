#include "CliRun.h"
#include "TempTree.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

namespace {

struct Run {
    int exitCode = -1;
    QByteArray err;
};

Run runWithHome(const QString &home, const QStringList &arguments, const QString &workingFolder = {})
{
    QProcess process;
    if (!workingFolder.isEmpty())
        process.setWorkingDirectory(workingFolder);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home);
    process.setProcessEnvironment(environment);
    process.start(cliPath(), arguments);
    process.closeWriteChannel();
    process.waitForFinished(120000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardError()};
}

// The messages Thunderbird finds in an mbox: a "From " line separates only
// when the two lines after it look like header fields. Each is returned with
// the status lines after its separator.
QList<QByteArray> thunderbirdMessages(const QByteArray &mbox, QList<QByteArray> *statusLines = nullptr)
{
    static const QRegularExpression field(QStringLiteral("^[!-9;-~]+:"));
    const QList<QByteArray> lines = mbox.split('\n');
    QList<QByteArray> messages;
    for (qsizetype k = 0; k < lines.size(); ++k) {
        const bool separator = lines[k].startsWith("From ") && k + 2 < lines.size()
                            && field.match(QString::fromLatin1(lines[k + 1])).hasMatch()
                            && field.match(QString::fromLatin1(lines[k + 2])).hasMatch();
        if (separator) {
            messages.append(QByteArray());
            if (statusLines)
                statusLines->append(lines[k + 1] + '\n' + lines[k + 2]);
        } else if (!messages.isEmpty()) {
            messages.last() += lines[k] + '\n';
        }
    }
    return messages;
}

void makeTree(TempTree &tree)
{
    tree.file(QStringLiteral("Mail/Inbox/1.eml"), "From: a@b.c\nSubject: one\n\nFrom here\n");
    tree.file(QStringLiteral("Mail/Inbox/2.eml"), "Subject: a single header line\n\nbody\n");
    tree.file(QStringLiteral("Mail/Inbox/3.eml"), "From: a@b.c\r\nSubject: three\r\n\r\nCR LF\r\n");
    tree.file(QStringLiteral("Mail/Inbox/4.eml"), "a note without header fields\n");
    tree.file(QStringLiteral("Mail/Archive/2019/4.eml"), "From: a@b.c\nSubject: four\n\nold\n");
}

QStringList filesBelow(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(it.next().mid(folder.size()));
    files.sort();
    return files;
}

// A home with Thunderbird's profiles.ini and one profile, "p", with its Local Folders.
QString makeProfile(TempTree &home, bool withLocalFolders = true)
{
    home.file(QStringLiteral(".thunderbird/profiles.ini"), "[Profile0]\nName=default\nIsRelative=1\nPath=p\nDefault=1\n");
    home.file(QStringLiteral(".thunderbird/p/prefs.js"), "");
    if (withLocalFolders) {
        home.file(QStringLiteral(".thunderbird/p/Mail/Local Folders/Trash"));
        home.file(QStringLiteral(".thunderbird/p/Mail/Local Folders/Mail"), "From x\nA: b\nC: d\n\nkept\n");
    }
    return home.path(QStringLiteral(".thunderbird/p"));
}

// Holds the profile's .parentlock as a running Thunderbird does, until the holder ends.
bool holdLock(QProcess &holder, const QString &lockFile)
{
    holder.start(QStringLiteral("python3"), {QStringLiteral("-c"), QStringLiteral(
        "import fcntl, sys\nf = open(sys.argv[1], 'w')\nfcntl.lockf(f, fcntl.LOCK_EX)\nprint('locked', flush=True)\nsys.stdin.read()"), lockFile});
    return holder.waitForReadyRead(10000);
}

QString inUseLine(const QString &profile)
{
    return QStringLiteral("quorvel-convert: Thunderbird is running with the profile %1: close it, then run the same command again\n")
        .arg(QFileInfo(profile).canonicalFilePath());
}

} // namespace

class CliThunderbirdTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Every message is one of Thunderbird's, those with one header line or
    // none too (so no warning is due), and says read or new as asked; a
    // re-run skips them all.
    void layoutStatusAndRerun_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("status");
        QTest::newRow("read") << QStringList() << QByteArray("X-Mozilla-Status: 0001\nX-Mozilla-Status2: 00000000");
        QTest::newRow("--unread") << QStringList{QStringLiteral("--unread")} << QByteArray("X-Mozilla-Status: 0000\nX-Mozilla-Status2: 00000000");
    }
    void layoutStatusAndRerun()
    {
        QFETCH(QStringList, options);
        QFETCH(QByteArray, status);
        TempTree tree;
        makeTree(tree);
        const QStringList arguments = options + QStringList{QStringLiteral("--layout"), QStringLiteral("thunderbird"),
                                                            tree.path(QStringLiteral("Mail")), QStringLiteral("-o"), tree.path(QStringLiteral("out"))};
        const CliRun run = runCli(arguments);
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(!run.err.contains("warning"), run.err.constData());
        const QString root = tree.path(QStringLiteral("out/Mail/Local Folders/"));
        QCOMPARE(filesBelow(root), (QStringList{QStringLiteral("Mail"), QStringLiteral("Mail.sbd"), QStringLiteral("Mail.sbd/Archive"),
                                                QStringLiteral("Mail.sbd/Archive.sbd"), QStringLiteral("Mail.sbd/Archive.sbd/2019"),
                                                QStringLiteral("Mail.sbd/Inbox")}));
        QCOMPARE(TempTree::read(root + QStringLiteral("Mail")), QByteArray());
        const QByteArray inbox = TempTree::read(root + QStringLiteral("Mail.sbd/Inbox"));
        QVERIFY(!inbox.contains('\r'));
        QList<QByteArray> statusLines;
        const QList<QByteArray> messages = thunderbirdMessages(inbox, &statusLines);
        QCOMPARE(messages.size(), 4);
        QVERIFY(messages[0].contains(">From here"));
        for (const QByteArray &lines : statusLines)
            QCOMPARE(lines, status);

        const CliRun again = runCli(QStringList{QStringLiteral("--skip-duplicates"), QStringLiteral("-q")} + arguments);
        QCOMPARE(again.exitCode, 0);
        QCOMPARE(TempTree::read(root + QStringLiteral("Mail.sbd/Inbox")), inbox);
    }

    // Thunderbird takes no dot-lock: one of a live process is none of its
    // business, and one left by a crash would show as a folder.
    void noDotLock()
    {
        TempTree tree;
        makeTree(tree);
        const QString lock = tree.file(QStringLiteral("out/Mail/Local Folders/Mail.sbd/Inbox.lock"),
                                       QByteArray::number(QCoreApplication::applicationPid()) + '\n');
        const CliRun run = runCli({QStringLiteral("--layout=thunderbird"), tree.path(QStringLiteral("Mail")), QStringLiteral("-o"), tree.path(QStringLiteral("out"))});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(QFileInfo::exists(lock));
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("said");
        QTest::newRow("--unread alone") << QStringList{QStringLiteral("--unread"), QStringLiteral("x"), QStringLiteral("-o"), QStringLiteral("d")}
                                        << QByteArray("--unread needs");
        QTest::newRow("CR LF") << QStringList{QStringLiteral("--layout=thunderbird"), QStringLiteral("--line-endings=crlf"), QStringLiteral("x"),
                                              QStringLiteral("-o"), QStringLiteral("d")}
                               << QByteArray("writes LF line ends");
        QTest::newRow("into with -o") << QStringList{QStringLiteral("--into-thunderbird"), QStringLiteral("x"), QStringLiteral("-o"), QStringLiteral("d")}
                                      << QByteArray("takes no -o");
    }
    void usageErrors()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, said);
        const CliRun run = runCli(arguments);
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.contains(said), run.err.constData());
    }

    // A new top folder beside the one of the same name; nothing else in the
    // profile changes but the hidden record of the source it holds.
    void intoTheDefaultProfile()
    {
        TempTree tree, home;
        makeTree(tree);
        const QString profile = makeProfile(home);
        const QStringList before = filesBelow(profile);
        const Run run = runWithHome(home.root(), {QStringLiteral("--into-thunderbird"), tree.path(QStringLiteral("Mail"))});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.err.contains("Local Folders > Mail 2"), run.err.constData());
        QStringList added = filesBelow(profile);
        for (const QString &file : before)
            added.removeOne(file);
        added.removeOne(QStringLiteral("/Mail/Local Folders/.quorvel-sources"));
        for (const QString &file : std::as_const(added))
            QVERIFY2(file.startsWith(QLatin1String("/Mail/Local Folders/Mail 2")), qPrintable(file));
        QCOMPARE(TempTree::read(profile + QStringLiteral("/Mail/Local Folders/Mail")), QByteArray("From x\nA: b\nC: d\n\nkept\n"));
        QCOMPARE(thunderbirdMessages(TempTree::read(profile + QStringLiteral("/Mail/Local Folders/Mail 2.sbd/Inbox"))).size(), 4);
    }

    // Refused in one line, exit status 2, nothing written.
    void intoRefused_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::addColumn<bool>("localFolders");
        QTest::addColumn<QByteArray>("said");
        QTest::newRow("Thunderbird runs") << true << true << QByteArray("Thunderbird is running with the profile");
        QTest::newRow("no Local Folders") << false << false << QByteArray("has no Local Folders yet");
    }
    void intoRefused()
    {
        QFETCH(bool, locked);
        QFETCH(bool, localFolders);
        QFETCH(QByteArray, said);
        TempTree tree, home;
        makeTree(tree);
        const QString profile = makeProfile(home, localFolders);
        const QString lockFile = home.file(QStringLiteral(".thunderbird/p/.parentlock"));
        const QStringList before = filesBelow(profile);
        QProcess holder;
        if (locked)
            QVERIFY(holdLock(holder, lockFile));
        const Run run = runWithHome(home.root(), {QStringLiteral("--into-thunderbird=default"), tree.path(QStringLiteral("Mail"))});
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.contains(said) && run.err.count('\n') == 1, run.err.constData());
        QCOMPARE(filesBelow(profile), before);
        holder.closeWriteChannel();
        holder.waitForFinished(10000);
    }

    // The same command run again after a run that stopped midway (here: one
    // that found half the messages) continues the folder that run made,
    // whatever name it gives the source; another source of the same name gets
    // a folder of its own. Names in the record that would lead out of Local
    // Folders lead nowhere.
    void intoContinuesItsFolder_data()
    {
        QTest::addColumn<QString>("again");  // the second run's SOURCE: "." from inside it, a link to it, or another tree's
        QTest::addColumn<QByteArray>("recordTail");  // added to the record before it; SRC stands for the source's path
        QTest::addColumn<QString>("folder");
        QTest::addColumn<int>("inbox");  // messages in folder's Inbox afterwards
        QTest::newRow("the same path") << QStringLiteral("Mail") << QByteArray() << QStringLiteral("Mail 2") << 4;
        QTest::newRow("as .") << QStringLiteral(".") << QByteArray() << QStringLiteral("Mail 2") << 4;
        QTest::newRow("through a link") << QStringLiteral("link/Mail") << QByteArray() << QStringLiteral("Mail 2") << 4;
        QTest::newRow("another source of that name") << QStringLiteral("other/Mail") << QByteArray() << QStringLiteral("Mail 3") << 1;
        QTest::newRow("names leading out") << QStringLiteral("Mail")
            << QByteArray("../../Mail 3\0SRC\0..\0SRC\0/tmp\0SRC\0Mail 3/../..\0SRC\0Mail\n3\0SRC\0")
            << QStringLiteral("Mail 2") << 4;
    }
    void intoContinuesItsFolder()
    {
        QFETCH(QString, again);
        QFETCH(QByteArray, recordTail);
        QFETCH(QString, folder);
        QFETCH(int, inbox);
        TempTree tree, home;
        makeTree(tree);
        const QString profile = makeProfile(home);
        const QString local = profile + QStringLiteral("/Mail/Local Folders/");
        const QString source = QFileInfo(tree.path(QStringLiteral("Mail"))).canonicalFilePath();
        const QStringList later{QStringLiteral("Mail/Inbox/3.eml"), QStringLiteral("Mail/Inbox/4.eml")};
        for (const QString &file : later)
            QVERIFY(QFile::rename(tree.path(file), tree.path(file + QStringLiteral(".later"))));
        const QStringList into{QStringLiteral("--into-thunderbird"), QStringLiteral("--skip-duplicates")};
        QCOMPARE(runWithHome(home.root(), into + QStringList{source}).exitCode, 0);
        for (const QString &file : later)
            QVERIFY(QFile::rename(tree.path(file + QStringLiteral(".later")), tree.path(file)));
        tree.file(QStringLiteral("other/Mail/Inbox/5.eml"), "From: o@p.q\nSubject: other\n\nelsewhere\n");
        QVERIFY(QFile::link(source, tree.folder(QStringLiteral("link")) + QStringLiteral("/Mail")));
        if (!recordTail.isEmpty()) {
            QFile record(local + QStringLiteral(".quorvel-sources"));
            QVERIFY(record.open(QIODevice::Append));
            record.write(QByteArray(recordTail).replace("SRC", source.toUtf8()));
        }
        const QStringList outside = filesBelow(home.root()).filter(QRegularExpression(QStringLiteral("^(?!/.thunderbird/p/Mail/Local Folders/)")));

        const Run run = again == QLatin1String(".") ? runWithHome(home.root(), into + QStringList{again}, source)
                                                    : runWithHome(home.root(), into + QStringList{tree.path(again)});
        QCOMPARE(run.exitCode, 0);
        const QList<QByteArray> messages = thunderbirdMessages(TempTree::read(local + folder + QStringLiteral(".sbd/Inbox")));
        QCOMPARE(messages.size(), inbox);
        QCOMPARE(QSet<QByteArray>(messages.cbegin(), messages.cend()).size(), inbox);
        if (folder == QLatin1String("Mail 2"))
            QVERIFY(!QFileInfo::exists(local + QStringLiteral("Mail 3")) && !QFileInfo::exists(local + QStringLiteral("Mail 3.sbd")));
        else
            QCOMPARE(thunderbirdMessages(TempTree::read(local + QStringLiteral("Mail 2.sbd/Inbox"))).size(), 2);
        QCOMPARE(filesBelow(home.root()).filter(QRegularExpression(QStringLiteral("^(?!/.thunderbird/p/Mail/Local Folders/)"))), outside);
    }

    // Whatever layout writes into a profile, or into any folder in one, is
    // refused while Thunderbird runs with it, as --into-thunderbird is.
    void profileInUse_data()
    {
        QTest::addColumn<QStringList>("destination");  // P stands for the profile, L for a link to it
        QTest::addColumn<bool>("running");
        const QString o = QStringLiteral("-o");
        const QString thunderbird = QStringLiteral("--layout=thunderbird"), maildir = QStringLiteral("--layout=maildir");
        const QString deeper = QStringLiteral("P/Mail/Local Folders/new/deeper");
        QTest::newRow("profile, mbox") << QStringList{o, QStringLiteral("P")} << true;
        QTest::newRow("profile, thunderbird") << QStringList{thunderbird, o, QStringLiteral("P")} << true;
        QTest::newRow("profile, maildir") << QStringList{maildir, o, QStringLiteral("P")} << true;
        QTest::newRow("Local Folders, mbox") << QStringList{o, QStringLiteral("P/Mail/Local Folders")} << true;
        QTest::newRow("not made yet, mbox") << QStringList{o, deeper} << true;
        QTest::newRow("not made yet, thunderbird") << QStringList{thunderbird, o, deeper} << true;
        QTest::newRow("not made yet, maildir") << QStringList{maildir, o, deeper} << true;
        QTest::newRow("--single") << QStringList{QStringLiteral("--single"), QStringLiteral("P/Mail/Local Folders/Inbox")} << true;
        QTest::newRow("through a link, mbox") << QStringList{o, QStringLiteral("L/export")} << true;
        QTest::newRow("not in use") << QStringList{thunderbird, o, deeper} << false;
    }
    void profileInUse()
    {
        QFETCH(QStringList, destination);
        QFETCH(bool, running);
        TempTree tree, home;
        makeTree(tree);
        const QString profile = makeProfile(home);
        const QString lockFile = home.file(QStringLiteral(".thunderbird/p/.parentlock"));
        QVERIFY(QFile::link(profile, home.path(QStringLiteral("link"))));
        for (QString &argument : destination)
            argument.replace(QRegularExpression(QStringLiteral("^P")), profile).replace(QRegularExpression(QStringLiteral("^L")), home.path(QStringLiteral("link")));
        const QStringList before = filesBelow(profile);
        QProcess holder;
        if (running)
            QVERIFY(holdLock(holder, lockFile));
        const CliRun run = runCli(QStringList{tree.path(QStringLiteral("Mail"))} + destination);
        holder.closeWriteChannel();
        holder.waitForFinished(10000);
        if (running) {
            QCOMPARE(run.exitCode, 2);
            QCOMPARE(QString::fromUtf8(run.err), inUseLine(profile));
            QCOMPARE(filesBelow(profile), before);
        } else {
            QCOMPARE(run.exitCode, 0);
            QVERIFY(filesBelow(profile).size() > before.size());
        }
    }
};

QTEST_GUILESS_MAIN(CliThunderbirdTest)
#include "tst_clithunderbird.moc"
