#include "CliRun.h"
#include "engine/run/ConversionRun.h"
#include "engine/support/Yielder.h"
#include "TempTree.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

namespace {

// Messages a real folder brings: quoting, no final line end, none at all,
// an envelope line of its own, twice the same text, a Message-ID shared
// with another text.
void makeMailTree(TempTree &tree)
{
    tree.file(QStringLiteral("Mail/Inbox/a.eml"), "Message-ID: <1@x>\r\nSubject: a\r\n\r\nFrom the body\r\n>From quoted\r\n");
    tree.file(QStringLiteral("Mail/Inbox/b.eml"), "Message-ID: <2@x>\nSubject: b\n\nno final line end");
    tree.file(QStringLiteral("Mail/Inbox/c.eml"), "Message-ID: <2@x>\nSubject: c\n\nanother text\n");
    tree.file(QStringLiteral("Mail/Inbox/empty.eml"));
    tree.file(QStringLiteral("Mail/Sent/1.eml"), "From ann@x Fri Jul  8 12:08:34 2011\nSubject: s\n\n>>From twice\r");
    tree.file(QStringLiteral("Mail/Sent/2.eml"), "Subject: same\n\nsame text\n");
    tree.file(QStringLiteral("Mail/Sent/3.eml"), "Subject: same\r\n\r\nsame text\r\n");
}

QJsonObject report(const TempTree &tree)
{
    return QJsonDocument::fromJson(TempTree::read(tree.path(QStringLiteral("report.json")))).object();
}

// checked and verified, from the report's "verify" object.
QPair<int, int> verifyCounts(const QJsonObject &report)
{
    const QJsonObject verify = report.value(QStringLiteral("verify")).toObject();
    return {verify.value(QStringLiteral("checked")).toInt(-1), verify.value(QStringLiteral("verified")).toInt(-1)};
}

const QStringList WithReport = {QStringLiteral("--report"), QStringLiteral("report.json")};

} // namespace

class CliVerifyTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A run verifies what it wrote, a re-run with --skip-duplicates what it
    // found, and --verify-only both, for every naming and line end.
    void writtenTreeVerifies_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("mirror, crlf") << QStringList{QStringLiteral("Mail"), QStringLiteral("-o"), QStringLiteral("out")};
        QTest::newRow("relative, lf") << QStringList{QStringLiteral("--relative"), QStringLiteral("--line-endings"), QStringLiteral("lf"),
                                                     QStringLiteral("Mail"), QStringLiteral("-o"), QStringLiteral("out")};
        QTest::newRow("one mbox holding another's records")
            << QStringList{QStringLiteral("--single"), QStringLiteral("out/one.mbox"), QStringLiteral("Mail"), QStringLiteral("Mail/Sent")};
        QTest::newRow("skipped by Message-ID")
            << QStringList{QStringLiteral("--duplicates-by"), QStringLiteral("message-id"), QStringLiteral("--single"), QStringLiteral("out/one.mbox"),
                           QStringLiteral("Mail")};
    }
    void writtenTreeVerifies()
    {
        QFETCH(QStringList, arguments);
        TempTree tree;
        makeMailTree(tree);
        tree.file(QStringLiteral("out/one.mbox"), "From other Thu Jan  1 00:00:00 1970\nSubject: other\n\nx\n\n");
        arguments << QStringLiteral("--skip-duplicates");
        const int listed = arguments.contains(QStringLiteral("Mail/Sent")) ? 10 : 7;
        for (const char *round : {"first", "again"}) {
            const CliRun run = runCli(QStringList{QStringLiteral("--verify")} + arguments + WithReport, tree.root());
            QVERIFY2(run.exitCode == 0, round + (" " + run.err));
            QCOMPARE(verifyCounts(report(tree)), qMakePair(listed, listed));
            QVERIFY(run.err.contains(QByteArray("; verified ") + QByteArray::number(listed) + " of "));
        }
        const CliRun check = runCli(QStringList{QStringLiteral("--verify-only")} + arguments + WithReport, tree.root());
        QVERIFY2(check.exitCode == 0, check.err);
        QCOMPARE(verifyCounts(report(tree)), qMakePair(listed, listed));
        QCOMPARE(report(tree).value(QStringLiteral("totals")).toObject().value(QStringLiteral("written")).toInt(-1), 0);
    }

    // The window writes by the mirror rule, as -o does without --relative.
    void windowOutputVerifies()
    {
        struct Quiet final : ConversionObserver {
            void bytesRead(qint64, qint64) override {}
            void messageDone(int, int) override {}
        } observer;
        TempTree tree;
        makeMailTree(tree);
        QStringList paths;
        for (const char *name : {"Mail/Inbox/a.eml", "Mail/Inbox/b.eml", "Mail/Sent/1.eml", "Mail/Sent/2.eml"})
            paths << tree.path(QLatin1String(name));
        NoYield yielder;
        QVERIFY(convertMessages(paths, tree.path(QStringLiteral("out")), observer, yielder).succeeded());
        const CliRun check = runCli(QStringList{QStringLiteral("--verify-only")} + paths + QStringList{QStringLiteral("-o"), QStringLiteral("out")}, tree.root());
        QVERIFY2(check.exitCode == 0, check.err);
        QVERIFY2(check.err.startsWith("verified 4 of 4 messages in 2 mbox files"), check.err);
    }

    // One change to the mbox is found, named with its source, and fails the check.
    void mismatchNamed_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("what");
        QTest::newRow("one byte") << QByteArray("no final line end") << QByteArray("no final line End") << QStringLiteral("Mail/Inbox/b.eml")
                                  << QStringLiteral("changed");
        QTest::newRow("a quote lost") << QByteArray(">>From quoted") << QByteArray(">From quoted") << QStringLiteral("Mail/Inbox/a.eml")
                                      << QStringLiteral("changed");
        QTest::newRow("a record lost") << QByteArray("Subject: c\r\n\r\nanother text\r\n\r\n") << QByteArray()
                                       << QStringLiteral("Mail/Inbox/c.eml") << QStringLiteral("missing");
    }
    void mismatchNamed()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QFETCH(QString, source);
        QFETCH(QString, what);
        TempTree tree;
        makeMailTree(tree);
        const QStringList arguments{QStringLiteral("--single"), QStringLiteral("out/one.mbox"), QStringLiteral("Mail")};
        QCOMPARE(runCli(arguments, tree.root()).exitCode, 0);
        QByteArray mbox = TempTree::read(tree.path(QStringLiteral("out/one.mbox")));
        const qsizetype at = mbox.indexOf(before);
        QVERIFY(at >= 0);
        if (after.isEmpty())  // the separator line too
            mbox.remove(mbox.lastIndexOf("From ", at), at + before.size() - mbox.lastIndexOf("From ", at));
        else
            mbox.replace(at, before.size(), after);
        tree.file(QStringLiteral("out/one.mbox"), mbox);

        const CliRun check = runCli(QStringList{QStringLiteral("--verify-only")} + arguments + WithReport, tree.root());
        QCOMPARE(check.exitCode, 1);
        const QJsonObject said = report(tree);
        QCOMPARE(verifyCounts(said), qMakePair(7, 6));
        const QJsonArray mismatches = said.value(QStringLiteral("mismatches")).toArray();
        QCOMPARE(mismatches.size(), 1);
        QCOMPARE(mismatches[0][QStringLiteral("path")].toString(), tree.path(source));
        QCOMPARE(mismatches[0][QStringLiteral("what")].toString(), what);
        QVERIFY(check.err.contains(QFile::encodeName(tree.path(source)) + ": verify: " + what.toUtf8()));
    }

    // mutt's mboxcl2 ends a body that had no final line end with one LF, then
    // the next separator: a message the run reads into the one before it
    // verifies, so only the second reading of the source can tell.
    void joinedMboxMessagesWarned()
    {
        TempTree tree;
        const QString mbox = tree.file(QStringLiteral("cl.mbox"),
                                       "From a@b Mon Jan  1 00:00:00 2024\nSubject: one\nContent-Length: 5\n\nbody1\n"
                                       "From c@d Mon Jan  1 00:00:01 2024\nSubject: two\nContent-Length: 6\n\nbody2\n\n"
                                       "From e@f Mon Jan  1 00:00:02 2024\nSubject: three\nContent-Length: 6\n\nbody3\n\n");
        for (const char *mode : {"--verify", "--verify-only"}) {
            const CliRun run = runCli(QStringList{QLatin1String(mode), mbox, QStringLiteral("-o"), QStringLiteral("out")} + WithReport, tree.root());
            QVERIFY2(run.exitCode == 0, run.err);
            QVERIFY2(run.err.contains("quorvel-convert: warning: " + QFile::encodeName(mbox) + ": verify: line 6 looks like a separator"), run.err);
            QVERIFY2(run.err.contains("; 1 warning, see above\n"), run.err);
            const QJsonArray warnings = report(tree).value(QStringLiteral("verify_warnings")).toArray();
            QCOMPARE(warnings.size(), 1);
            QCOMPARE(warnings[0][QStringLiteral("path")].toString(), mbox);
            QCOMPARE(warnings[0][QStringLiteral("line")].toInt(), 6);
        }
    }

    // Python's own test messages, and those of Debian packages that carry mail, when unpacked here.
    void realCorpusVerifies_data()
    {
        QTest::addColumn<QString>("lineEnds");
        QTest::newRow("crlf") << QStringLiteral("crlf");
        QTest::newRow("lf") << QStringLiteral("lf");
    }
    void realCorpusVerifies()
    {
        QFETCH(QString, lineEnds);
        const QDir data(QStringLiteral("/usr/lib/python3.11/test/test_email/data"));
        const QStringList names = data.entryList({QStringLiteral("msg_*.txt")}, QDir::Files);
        if (names.isEmpty())
            QSKIP("Python's test_email data is not installed");
        // Many start with an envelope line, which would make each an mbox of one message: taken as messages.
        QStringList arguments{QStringLiteral("--verify"), QStringLiteral("--only"), QStringLiteral("eml"),
                              QStringLiteral("--line-endings"), lineEnds, QStringLiteral("-o"), QStringLiteral("out")};
        for (const QString &name : names)
            arguments << data.filePath(name);
        TempTree tree;
        const CliRun run = runCli(arguments + WithReport, tree.root());
        QVERIFY2(run.exitCode == 0, run.err);
        QCOMPARE(verifyCounts(report(tree)), qMakePair(int(names.size()), int(names.size())));
    }
};

QTEST_GUILESS_MAIN(CliVerifyTest)
#include "tst_cliverify.moc"
