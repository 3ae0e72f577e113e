#include "CliRun.h"
#include "TempTree.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTest>

// Every layout answers the same questions the same way: the run, its dry
// run, its report and its verification name the same targets, and the same
// command run again finds what it wrote.
class TestCliStores : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyStepNamesTheSameTargets_data()
    {
        QTest::addColumn<QStringList>("layout");
        QTest::addColumn<QStringList>("targets");  // relative to out/, as the run must make them
        QTest::newRow("mbox") << QStringList{"--relative"} << QStringList{"Mail/Inbox/Inbox.mbox", "Mail/Sent/Sent.mbox"};
        QTest::newRow("thunderbird") << QStringList{"--layout", "thunderbird"}
                                     << QStringList{"Mail/Local Folders/Mail.sbd/Inbox", "Mail/Local Folders/Mail.sbd/Sent"};
        QTest::newRow("maildir") << QStringList{"--layout", "maildir", "--relative"} << QStringList{".Mail.Inbox/", ".Mail.Sent/"};
    }
    void everyStepNamesTheSameTargets()
    {
        QFETCH(QStringList, layout);
        QFETCH(QStringList, targets);
        TempTree tree;
        tree.file(QStringLiteral("Mail/Inbox/1.eml"), "From: a@example.org\nSubject: one\n\nfirst\n");
        tree.file(QStringLiteral("Mail/Inbox/2.eml"), "From: b@example.org\nSubject: two\n\nFrom the team: thanks.\n");
        tree.file(QStringLiteral("Mail/Sent/3.eml"), "From: c@example.org\nSubject: three\n\nthird\n");
        const QStringList arguments = layout + QStringList{"Mail", "-o", "out"};
        QSet<QString> expected;
        for (const QString &target : std::as_const(targets))
            expected.insert(tree.path(QStringLiteral("out/") + target));

        const CliRun dry = runCli(QStringList{"--dry-run"} + arguments, tree.root());
        QCOMPARE(dry.exitCode, 0);
        QSet<QString> planned;
        for (const QByteArray &line : dry.out.split('\n'))
            if (const qsizetype arrow = line.indexOf(" -> "); arrow >= 0)
                planned.insert(QString::fromUtf8(line.mid(arrow + 4)));
        QCOMPARE(planned, expected);

        const CliRun run = runCli(arguments + QStringList{"--report", "report.json"}, tree.root());
        QCOMPARE(run.exitCode, 0);
        const QJsonObject report = QJsonDocument::fromJson(TempTree::read(tree.path(QStringLiteral("report.json")))).object();
        QSet<QString> reported;
        for (const QJsonValue &folder : report.value(QStringLiteral("folders")).toArray())
            reported.insert(folder.toObject().value(QStringLiteral("path")).toString());
        QCOMPARE(reported, expected);
        for (const QString &target : std::as_const(expected))
            QVERIFY2(QFileInfo::exists(target), qPrintable(target));

        const CliRun verified = runCli(QStringList{"--verify-only"} + arguments, tree.root());
        QVERIFY2(verified.exitCode == 0, verified.err);
        QVERIFY2(verified.err.contains("verified 3 of 3 messages"), verified.err);

        const CliRun again = runCli(QStringList{"--skip-duplicates"} + arguments, tree.root());
        QCOMPARE(again.exitCode, 0);
        QVERIFY2(again.err.contains("3 skipped as duplicates"), again.err);
    }
};

QTEST_GUILESS_MAIN(TestCliStores)
#include "tst_clistores.moc"
