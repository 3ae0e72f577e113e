#include "convert/MboxIdentities.h"
#include "convert/MboxRecord.h"
#include "convert/MessageIdentity.h"
#include "TempTree.h"

#include <QTest>

namespace {

QByteArray LfOnly(QByteArray bytes)
{
    return bytes.replace("\r\n", "\n");
}

QList<QByteArray> ReadBack(const QByteArray &mbox, qsizetype pieceSize)
{
    QList<QByteArray> found;
    MboxIdentityReader reader([&](const QByteArray &identity) { found.append(identity); });
    for (qsizetype at = 0; at < mbox.size(); at += pieceSize)
        reader.Feed(QByteArrayView(mbox).sliced(at, qMin(pieceSize, mbox.size() - at)));
    reader.Finish();
    return found;
}

const QDateTime When = QDateTime::fromSecsSinceEpoch(1709287200, Qt::UTC);

} // namespace

class MessageIdentityTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A message written to an mbox by this program and read back, in either
    // line-end form and cut into pieces anywhere, has its .eml file's identity.
    void readBackFromMbox_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("Message-ID") << QByteArray("From: a@b.c\r\nMessage-ID: <1@x>\r\n\r\nbody\r\n");
        QTest::newRow("folded Message-ID, LF")
            << QByteArray("From: a@b.c\nMessage-Id:\n  <2@x>\n\nbody\n");
        QTest::newRow("no Message-ID, CR LF") << QByteArray("From: a@b.c\r\n\r\nbody\r\nFrom here\r\n");
        QTest::newRow("no Message-ID, lone CRs") << QByteArray("From: a@b.c\r\rline\r>From quoted\r");
        QTest::newRow("lone LF inside a line") << QByteArray("Subject: x\r\n\r\na\nFrom b\r\n");
        QTest::newRow("quoted lines") << QByteArray("Subject: q\n\n>From a\n>>From b\nFrom c\n");
        QTest::newRow("no final line end") << QByteArray("Subject: end\n\nlast line");
        QTest::newRow("envelope line") << QByteArray("From ann@example.com Fri Mar  1 10:00:00 2024\nSubject: e\n\nx\n");
        QTest::newRow("empty lines at the end") << QByteArray("Subject: t\r\n\r\nx\r\n\r\n\r\n");
        QTest::newRow("header only") << QByteArray("Subject: h");
    }
    void readBackFromMbox()
    {
        QFETCH(QByteArray, message);
        const QByteArray other("Subject: other\r\n\r\nFrom the other one\r\n");
        const QByteArray mbox = BuildRecord(QStringLiteral("a@b.c"), When, message)
                              + BuildRecord(QStringLiteral("b@b.c"), When, other);
        const QList<QByteArray> expected{IdentityOfMessage(message), IdentityOfMessage(other)};
        QVERIFY(expected[0] != expected[1]);
        for (const QByteArray &form : {mbox, LfOnly(mbox)})
            for (qsizetype piece : {qsizetype(1), qsizetype(7), form.size()})
                QCOMPARE(ReadBack(form, piece), expected);
    }

    void sameOrDifferent_data()
    {
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<QByteArray>("second");
        QTest::addColumn<bool>("same");
        QTest::newRow("same Message-ID, other body") << QByteArray("Message-ID: <a@x>\n\none\n")
                                                    << QByteArray("Message-ID: <a@x>\r\n\r\ntwo\r\n") << true;
        QTest::newRow("other Message-ID") << QByteArray("Message-ID: <a@x>\n\none\n")
                                          << QByteArray("Message-ID: <b@x>\n\none\n") << false;
        QTest::newRow("line ends only differ") << QByteArray("Subject: s\n\nbody\n")
                                               << QByteArray("Subject: s\r\n\r\nbody\r\n") << true;
        QTest::newRow("bodies differ") << QByteArray("Subject: s\n\nbody\n") << QByteArray("Subject: s\n\nbodY\n")
                                       << false;
        QTest::newRow("quoted and unquoted From line")
            << QByteArray("Subject: s\n\nFrom x\n") << QByteArray("Subject: s\n\n>From x\n") << false;
        QTest::newRow("empty Message-ID is no identity") << QByteArray("Message-ID: \n\nA\n")
                                                         << QByteArray("Message-ID: \n\nB\n") << false;
    }
    void sameOrDifferent()
    {
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, second);
        QFETCH(bool, same);
        QCOMPARE(IdentityOfMessage(first) == IdentityOfMessage(second), same);
    }

    // Other programs' mboxes: text before the first "From " line is no
    // message; mboxo leaves ">From " as it is (read as mboxrd: one ">" less).
    void foreignMboxFile()
    {
        TempTree tree;
        const QByteArray mbox = "junk line\n"
                                "From a@b Fri Mar  1 10:00:00 2024\nMessage-ID: <m1@x>\n\nx\n\n"
                                "From b@b Fri Mar  1 10:00:00 2024\nSubject: two\n\n>From y\n";
        QList<QByteArray> found;
        int pieces = 0;
        QCOMPARE(ReadMboxIdentities(tree.file(QStringLiteral("box.mbox"), mbox),
                                    [&](const QByteArray &identity) { found.append(identity); }, [&] { ++pieces; }),
                 QString());
        QCOMPARE(found, (QList<QByteArray>{"id:<m1@x>", IdentityOfMessage("Subject: two\n\nFrom y\n")}));
        QCOMPARE(pieces, 1);
        found.clear();
        QCOMPARE(ReadMboxIdentities(tree.path(QStringLiteral("missing.mbox")),
                                    [&](const QByteArray &identity) { found.append(identity); }),
                 QString());
        QVERIFY(found.isEmpty());
    }
};

QTEST_GUILESS_MAIN(MessageIdentityTest)
#include "tst_messageidentity.moc"
