#include "engine/support/Yielder.h"
#include "engine/verify/MaildirReader.h"
#include "engine/verify/MboxReader.h"
#include "engine/verify/SourceDigest.h"
#include "engine/verify/Verification.h"
#include "Records.h"
#include "TempTree.h"

#include <QTest>

namespace {

QDateTime someDate()
{
    return QDateTime(QDate(2011, 7, 8), QTime(12, 8, 34), Qt::UTC);
}

// The record the run writes, made by the writer itself: the reader is
// checked against it, not against a second idea of the format.
QByteArray written(const QByteArray &message, bool lf)
{
    return mboxRecord(QStringLiteral("ann@example.org"), someDate(), message, lf);
}

using Kind = VerifyMismatch::Kind;

} // namespace

class TestVerification : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Every kind of message a real .eml can be: each is found in what the
    // writer made of it, twice over for two identical sources, after a
    // record another program left first.
    void writtenMessagesVerify_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("crlf") << QByteArray("Subject: a\r\n\r\nbody\r\n");
        QTest::newRow("lf") << QByteArray("Subject: a\n\nbody\n");
        QTest::newRow("no final break") << QByteArray("Subject: a\n\nbody");
        QTest::newRow("zero bytes") << QByteArray();
        QTest::newRow("only empty lines") << QByteArray("\n\n");
        QTest::newRow("own envelope line") << QByteArray("From ann@example.org Fri Jul  8 12:08:34 2011\r\nSubject: a\r\n\r\nb\r\n");
        QTest::newRow("envelope line alone") << QByteArray("From ann Fri Jul  8 12:08:34 2011");
        QTest::newRow("obsolete From field") << QByteArray("From : ann\nSubject: a\n\nb\n");
        QTest::newRow("start of From only") << QByteArray("Fro");
        QTest::newRow("From lines quoted") << QByteArray("Subject: a\n\nFrom here\n>From there\n>>>From far\nFrom\n");
        QTest::newRow("lone CRs") << QByteArray("Subject: a\r\rbody\rFrom x\r");
        QTest::newRow("CR CR LF") << QByteArray("Subject: a\r\r\nb\r\n");
        QTest::newRow("ends in From") << QByteArray("Subject: a\n\n>From ");
        QTest::newRow("empty line at end") << QByteArray("Subject: a\n\nb\n\n\n");
    }
    void writtenMessagesVerify()
    {
        QFETCH(QByteArray, message);
        for (const bool lf : {false, true}) {
            TempTree tree;
            const QString source = tree.file(QStringLiteral("1.eml"), message);
            const QString mbox = tree.file(QStringLiteral("out.mbox"), "From elsewhere Thu Jan  1 00:00:00 1970\nSubject: other\n\n"
                                                                     + written(message, lf) + written(message, lf));
            NoYield yielder;
            const VerifyResult twice = verifyEntries({{{source}, mbox}, {{source}, mbox}}, {}, yielder);
            QCOMPARE(twice.verified, 2);
            QVERIFY(twice.mismatches.isEmpty());
            const VerifyResult thrice = verifyEntries({{{source}, mbox}, {{source}, mbox}, {{source}, mbox}}, {}, yielder);
            QCOMPARE(thrice.verified, 2);
            QCOMPARE(thrice.mismatches.size(), 1);
        }
    }

    // One wrong byte, record or quote is found and named.
    void whatDiffersIsNamed_data()
    {
        const QByteArray message = "Message-ID: <1@x>\nSubject: a\n\nFrom here\n>From there\nend\n";
        const QByteArray record = written(message, true);
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QByteArray>("mbox");
        QTest::addColumn<Kind>("kind");
        QByteArray changed = record;
        changed[changed.indexOf("end")] = 'E';
        QTest::newRow("one byte changed") << message << changed << Kind::Changed;
        QTest::newRow("record missing") << message << written("Message-ID: <2@x>\n\nx\n", true) << Kind::Missing;
        QByteArray unquoted = record;
        unquoted.replace(">From here", "From here");
        QTest::newRow("From line left unquoted") << message << unquoted << Kind::Changed;
        QByteArray underQuoted = record;
        underQuoted.replace(">>From there", ">From there");
        QTest::newRow("quote lost") << message << underQuoted << Kind::Changed;
        QTest::newRow("closing line lost") << message << record.chopped(1) << Kind::Changed;
        QTest::newRow("line break lost") << QByteArray("Message-ID: <1@x>\n\nend\n")
                                         << QByteArray("From a Thu Jan  1 00:00:00 1970\nMessage-ID: <1@x>\n\nend\n") << Kind::Changed;
        QTest::newRow("empty message, no closing line") << QByteArray() << QByteArray("From a Thu Jan  1 00:00:00 1970\n") << Kind::Missing;
    }
    void whatDiffersIsNamed()
    {
        QFETCH(QByteArray, message);
        QFETCH(QByteArray, mbox);
        QFETCH(Kind, kind);
        TempTree tree;
        const QString source = tree.file(QStringLiteral("1.eml"), message);
        const QString target = tree.file(QStringLiteral("out.mbox"), mbox);
        NoYield yielder;
        const VerifyResult result = verifyEntries({{{source}, target}}, {}, yielder);
        QCOMPARE(result.verified, 0);
        QCOMPARE(result.mismatches.size(), 1);
        QCOMPARE(result.mismatches[0].kind, kind);
        QCOMPARE(result.mismatches[0].source, source);
    }

    // The two lines Thunderbird keeps after each separator are not the
    // message's; the same lines in the message itself are.
    void thunderbirdStatusLines_data()
    {
        QTest::addColumn<QByteArray>("afterSeparator");
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<bool>("matches");
        const QByteArray status = "X-Mozilla-Status: 0001\r\nX-Mozilla-Status2: 00000000\r\n";
        QTest::newRow("both") << status << QByteArray("Subject: a\n\nb\n") << true;
        QTest::newRow("the message's own kept") << status << QByteArray("X-Mozilla-Status: 0009\nSubject: a\n\nb\n") << true;
        QTest::newRow("none") << QByteArray() << QByteArray("Subject: a\n\nb\n") << true;
        QTest::newRow("not straight after") << QByteArray("Subject: a\r\n") + status << QByteArray("Subject: a\n\nb\n") << false;
    }
    void thunderbirdStatusLines()
    {
        QFETCH(QByteArray, afterSeparator);
        QFETCH(QByteArray, message);
        QFETCH(bool, matches);
        QByteArray record = written(message, false);
        record.insert(record.indexOf('\n') + 1, afterSeparator);
        const QList<StoredMessage> stored = MboxReader::messagesIn({record}, true);
        QCOMPARE(stored.size(), 1);
        QCOMPARE(stored[0].digest.sameText() == digestOfMessage(message).sameText(), matches);
    }

    // A maildir holds each message in a file of its own, line ends as the run chose.
    void maildirFilesVerify()
    {
        TempTree tree;
        const QByteArray message = "From ann Fri Jul  8 12:08:34 2011\nSubject: a\n\n>From b\n";
        const QString source = tree.file(QStringLiteral("1.eml"), message);
        const QString copy = tree.file(QStringLiteral("box/.Sent/cur/1700000000.1.host:2,S"), "Subject: a\r\n\r\n>From b\r\n");
        tree.folder(QStringLiteral("box/.Sent/new"));
        NoYield yielder;
        const MaildirReader reader;
        const VerifyRules maildir{.reader = &reader};
        QCOMPARE(verifyEntries({{{source}, copy}}, maildir, yielder).verified, 1);
        tree.file(QStringLiteral("box/.Sent/cur/1700000000.1.host:2,S"), "Subject: a\n\n>>From b\n");
        const VerifyResult changed = verifyEntries({{{source}, copy}}, maildir, yielder);
        QCOMPARE(changed.verified, 0);
        QCOMPARE(changed.mismatches.size(), 1);
    }

    // Memory and pieces: a message far larger than a read piece, cut
    // anywhere, reads back whole.
    void largeMessageAcrossPieces()
    {
        QByteArray message = "Subject: big\r\n\r\n";
        while (message.size() < 3 * 1024 * 1024)
            message += "From a line that needs quoting\r\n>From another\r" + QByteArray(997, 'x') + '\n';
        TempTree tree;
        const QString source = tree.file(QStringLiteral("1.eml"), message);
        const QString mbox = tree.file(QStringLiteral("out.mbox"), written(message, false) + written("Subject: small\n\nx\n", false));
        NoYield yielder;
        QCOMPARE(verifyEntries({{{source}, mbox}}, {}, yielder).verified, 1);
    }
};

QTEST_GUILESS_MAIN(TestVerification)
#include "tst_verification.moc"
