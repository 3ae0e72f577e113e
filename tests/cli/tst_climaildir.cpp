#include "CliRun.h"
#include "TempTree.h"

#include <QDir>
#include <QTest>

class TestCliMaildir : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void refusedTogether_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("one mbox file") << QStringList{"--layout", "maildir", "--single", "all.mbox", "Mail"}
                                       << QByteArray("--single and --layout maildir cannot be used together");
        QTest::newRow("copies by Message-ID")
            << QStringList{"--layout", "maildir", "--skip-duplicates", "--duplicates-by", "message-id", "Mail", "-o", "out"}
            << QByteArray("--duplicates-by message-id cannot be used with --layout maildir");
    }
    void refusedTogether()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, message);
        TempTree tree;
        tree.file(QStringLiteral("Mail/In/1.eml"), "Subject: x\n\nx\n");
        const CliRun run = runCli(arguments, tree.root());
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.contains(message), run.err);
        QVERIFY(!QDir(tree.path(QStringLiteral("out"))).exists());
    }

    // A dry run names the folder, and with --skip-duplicates finds what a run left there.
    void dryRunNamesTheFolder()
    {
        TempTree tree;
        tree.file(QStringLiteral("Mail/In/1.eml"), "Subject: x\n\nx\n");
        const QStringList arguments{"--layout", "maildir", "--relative", "Mail", "-o", "out"};
        const CliRun before = runCli(QStringList{"--dry-run"} + arguments, tree.root());
        QCOMPARE(before.exitCode, 0);
        QVERIFY2(before.out.contains(" -> " + QFile::encodeName(tree.path(QStringLiteral("out/.Mail.In/")))), before.out);
        const CliRun run = runCli(arguments, tree.root());
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.err.contains("converted 1 of 1 message into 1 Maildir folder"), run.err);
        const CliRun after = runCli(QStringList{"--dry-run", "--skip-duplicates"} + arguments, tree.root());
        QCOMPARE(after.exitCode, 0);
        QVERIFY2(after.out.contains(" -- already in " + QFile::encodeName(tree.path(QStringLiteral("out/.Mail.In/cur/")))), after.out);
    }
};

QTEST_GUILESS_MAIN(TestCliMaildir)
#include "tst_climaildir.moc"
