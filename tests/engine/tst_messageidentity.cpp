#include "engine/mbox/MboxIdentities.h"
#include "engine/message/MessageIdentity.h"
#include "engine/support/Yielder.h"
#include "Records.h"
#include "TempTree.h"

#include <QTest>
#include <cstring>

namespace {

QByteArray lfOnly(QByteArray bytes)
{
    return bytes.replace("\r\n", "\n");
}

// The identities an mbox reads back with, the splitter's reads cut to
// pieceSize bytes (its looks ahead, of a few bytes, get what they ask for),
// holding back at most heldAtMost bytes of a message not ended yet.
QList<QByteArray> readBack(const QByteArray &mbox, qsizetype pieceSize, QList<qint64> *offsets = nullptr,
                           DuplicateRule rule = DuplicateRule::ExactCopy,
                           qint64 heldAtMost = MboxIdentityReader::DefaultHeldAtMost)
{
    const MboxBytesAt bytesAt = [&](qint64 offset, char *target, qint64 length, qint64 &got) {
        got = qBound<qint64>(0, mbox.size() - offset, length > 8 ? qMin<qint64>(length, pieceSize) : length);
        std::memcpy(target, mbox.constData() + offset, size_t(got));
        return 0;
    };
    QList<QByteArray> found;
    NoYield yielder;
    const QString failure = identitiesOfMbox(bytesAt, mbox.size(), [&](const QByteArray &identity, qint64 offset) {
        found.append(identity);
        if (offsets)
            offsets->append(offset);
    }, rule, yielder, heldAtMost);
    if (!failure.isEmpty())
        return {"failed"};
    return found;
}

const QDateTime When = QDateTime::fromSecsSinceEpoch(1709287200, Qt::UTC);

} // namespace

class MessageIdentityTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Thunderbird's status lines at a message's start say whether it was
    // read, not what it is; anywhere else they are part of the message.
    void statusLinesLeftOut_data()
    {
        QTest::addColumn<QByteArray>("with");
        QTest::addColumn<QByteArray>("without");
        QTest::addColumn<bool>("same");
        const QByteArray plain("Subject: s\n\nbody\n");
        QTest::newRow("read") << "X-Mozilla-Status: 0001\nX-Mozilla-Status2: 00000000\n" + plain << plain << true;
        QTest::newRow("unread, CR LF") << QByteArray("X-Mozilla-Status: 0000\r\nX-Mozilla-Status2: 00000000\r\nSubject: s\r\n\r\nbody\r\n")
                                       << plain << true;
        QTest::newRow("Status2 alone") << "X-Mozilla-Status2: 00000000\n" + plain << plain << true;
        QTest::newRow("after another field") << QByteArray("Subject: s\nX-Mozilla-Status: 0001\n\nbody\n") << plain << false;
        QTest::newRow("a longer name") << "X-Mozilla-Statusbar: 1\n" + plain << plain << false;
        QTest::newRow("the name's start alone") << "X-Mozilla-Stat\n" + plain << plain << false;
        QTest::newRow("in the body") << plain + "X-Mozilla-Status: 0001\n" << plain << false;
    }
    void statusLinesLeftOut()
    {
        QFETCH(QByteArray, with);
        QFETCH(QByteArray, without);
        QFETCH(bool, same);
        QCOMPARE(identityOfMessage(with) == identityOfMessage(without), same);
        // Read back from an mbox in pieces of every small size, cut inside the name too.
        const QByteArray record = mboxRecord(QStringLiteral("a@b.c"), When, with, true);
        for (qsizetype piece = 1; piece <= 24; ++piece)
            QCOMPARE(readBack(record, piece), QList<QByteArray>{identityOfMessage(with)});
    }
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
        QTest::newRow("4096 > then From") << "Subject: q\n\n" + QByteArray(4096, '>') + "From x\n";
        QTest::newRow("10000 > then From, no line end") << "Subject: q\n\n" + QByteArray(10000, '>') + "From x";
    }
    void readBackFromMbox()
    {
        QFETCH(QByteArray, message);
        const QByteArray other("Subject: other\r\n\r\nFrom the other one\r\n");
        for (bool lf : {false, true}) {
            const QByteArray first = mboxRecord(QStringLiteral("a@b.c"), When, message, lf);
            const QByteArray mbox = first + mboxRecord(QStringLiteral("b@b.c"), When, other, lf);
            const QList<QByteArray> expected{identityOfMessage(message), identityOfMessage(other)};
            QVERIFY(expected[0] != expected[1]);
            for (qsizetype piece : {qsizetype(1), qsizetype(7), mbox.size()}) {
                for (qint64 held : {MboxIdentityReader::DefaultHeldAtMost, qint64(0)}) {
                    QList<qint64> offsets;
                    QCOMPARE(readBack(mbox, piece, &offsets, DuplicateRule::ExactCopy, held), expected);
                    QCOMPARE(offsets, (QList<qint64>{0, first.size()}));
                }
            }
        }
    }

    void sameOrDifferent_data()
    {
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<QByteArray>("second");
        QTest::addColumn<bool>("sameCopy");
        QTest::addColumn<bool>("sameId");  // under DuplicateRule::MessageId
        auto row = [](const char *name, const char *first, const char *second, bool sameCopy, bool sameId) {
            QTest::newRow(name) << QByteArray(first) << QByteArray(second) << sameCopy << sameId;
        };
        row("same Message-ID, other body", "Message-ID: <a@x>\n\none\n", "Message-ID: <a@x>\r\n\r\ntwo\r\n", false, true);
        row("same Message-ID, other header", "Message-ID: <a@x>\nTo: b\n\none\n", "Message-ID: <a@x>\nTo: c\n\none\n", false, true);
        row("other Message-ID", "Message-ID: <a@x>\n\none\n", "Message-ID: <b@x>\n\none\n", false, false);
        row("same Message-ID, line ends differ", "Message-ID: <a@x>\n\none\n", "Message-ID: <a@x>\r\n\r\none\r\n", true, true);
        row("line ends only differ", "Subject: s\n\nbody\n", "Subject: s\r\rbody", true, true);
        row("bodies differ", "Subject: s\n\nbody\n", "Subject: s\n\nbodY\n", false, false);
        row("quoted and unquoted From line", "Subject: s\n\nFrom x\n", "Subject: s\n\n>From x\n", false, false);
        row("empty Message-ID is no identity", "Message-ID: \n\nA\n", "Message-ID: \n\nB\n", false, false);
    }
    void sameOrDifferent()
    {
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, second);
        QFETCH(bool, sameCopy);
        QFETCH(bool, sameId);
        QCOMPARE(identityOfMessage(first) == identityOfMessage(second), sameCopy);
        QCOMPARE(identityOfMessage(first, DuplicateRule::MessageId) == identityOfMessage(second, DuplicateRule::MessageId), sameId);
    }

    // Other programs' mboxes, split as a run splits an mbox source: a record
    // starts at a "From " line at the file's start or after an empty line;
    // a Content-Length that ends at the next separator keeps its body whole;
    // mboxo leaves ">From " as it is (read as mboxrd: one ">" less).
    void foreignMboxFile_data()
    {
        QTest::addColumn<QByteArray>("mbox");
        QTest::addColumn<QList<QByteArray>>("messages");  // their texts, in order
        QTest::addColumn<QList<qint64>>("offsets");
        const QByteArray sep = "From a@b Fri Mar  1 10:00:00 2024\n";
        const QByteArray one = "Message-ID: <m1@x>\n\nx\n", two = "Subject: two\n\nFrom y\n";
        const QByteArray second = sep + "Subject: two\n\n>From y\n";
        QTest::newRow("text before the first record") << "junk line\n\n" + sep + one + "\n" + second
                                                      << QList<QByteArray>{one, two}
                                                      << QList<qint64>{11, 11 + sep.size() + one.size() + 1};
        QTest::newRow("a From line after junk is no separator") << "junk line\n" + sep + one << QList<QByteArray>{} << QList<qint64>{};
        const QByteArray team = "Subject: t\n\nwe are done\nFrom the team: thanks.\n";
        QTest::newRow("a From line after a text line") << sep + team + "\n" + second << QList<QByteArray>{team, two}
                                                       << QList<qint64>{0, sep.size() + team.size() + 1};
        const QByteArray body = "x\n\nFrom the team: thanks.\n";
        const QByteArray counted = "Content-Length: " + QByteArray::number(body.size()) + "\n\n" + body;
        QTest::newRow("Content-Length keeps a From line") << sep + counted + "\n" + second << QList<QByteArray>{counted, two}
                                                          << QList<qint64>{0, sep.size() + counted.size() + 1};
        QTest::newRow("torn last record") << sep + one + "\n" + sep + "Subject: two\n\nunfini"
                                          << QList<QByteArray>{one, "Subject: two\n\nunfini"}
                                          << QList<qint64>{0, sep.size() + one.size() + 1};
    }
    void foreignMboxFile()
    {
        QFETCH(QByteArray, mbox);
        QFETCH(QList<QByteArray>, messages);
        QFETCH(QList<qint64>, offsets);
        TempTree tree;
        const QString path = tree.file(QStringLiteral("box.mbox"), mbox);
        for (const DuplicateRule rule : {DuplicateRule::ExactCopy, DuplicateRule::MessageId}) {
            QList<QByteArray> expected;
            for (const QByteArray &message : messages)
                expected.append(identityOfMessage(message, rule));
            QList<QByteArray> found;
            QList<qint64> foundAt;
            int pieces = 0;
            const MboxScan scan = readMboxIdentities(path, [&](const QByteArray &identity, qint64 offset) {
                found.append(identity);
                foundAt.append(offset);
            }, rule, 0, [&] { ++pieces; });
            QCOMPARE(scan.failure, QString());
            QCOMPARE(scan.end, mbox.size());
            QCOMPARE(found, expected);
            QCOMPARE(foundAt, offsets);
            QCOMPARE(pieces, 1);
            for (qsizetype piece = 1; piece <= 9; ++piece) {
                for (qint64 held : {MboxIdentityReader::DefaultHeldAtMost, qint64(0)}) {
                    foundAt.clear();
                    QCOMPARE(readBack(mbox, piece, &foundAt, rule, held), expected);
                    QCOMPARE(foundAt, offsets);
                }
            }
        }
    }

    void missingMboxHoldsNone()
    {
        TempTree tree;
        bool found = false;
        const MboxScan scan = readMboxIdentities(tree.path(QStringLiteral("missing.mbox")),
                                                 [&](const QByteArray &, qint64) { found = true; });
        QCOMPARE(scan.failure, QString());
        QVERIFY(!found);
    }
};

QTEST_GUILESS_MAIN(MessageIdentityTest)
#include "tst_messageidentity.moc"
