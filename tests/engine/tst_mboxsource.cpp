#include "engine/source/MboxSource.h"
#include "engine/support/Yielder.h"
#include "TempTree.h"

#include <QTest>

class MboxSourceTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void splitsAtSeparators_data()
    {
        QTest::addColumn<QByteArray>("mbox");
        QTest::addColumn<QList<QByteArray>>("messages");
        QTest::addColumn<QList<QByteArray>>("envelopes");
        const QByteArray a = "From a@x Mon Jan  1 00:00:00 2024", b = "From b@x Tue Jan  2 00:00:00 2024";
        QTest::newRow("mboxrd, LF") << a + "\nS: 1\n\none\n>From quoted\n\n" + b + "\nS: 2\n\ntwo\n\n"
                                    << QList<QByteArray>{"S: 1\n\none\n>From quoted\n", "S: 2\n\ntwo\n"} << QList<QByteArray>{a, b};
        QTest::newRow("CR LF") << a + "\r\nS: 1\r\n\r\none\r\n\r\n" + b + "\r\nS: 2\r\n\r\ntwo\r\n\r\n"
                               << QList<QByteArray>{"S: 1\r\n\r\none\r\n", "S: 2\r\n\r\ntwo\r\n"} << QList<QByteArray>{a, b};
        QTest::newRow("From line without an empty line before") << a + "\nS: 1\n\none\nFrom here on\n\n" + b + "\nS: 2\n\ntwo\n"
                               << QList<QByteArray>{"S: 1\n\none\nFrom here on\n", "S: 2\n\ntwo\n"} << QList<QByteArray>{a, b};
        QTest::newRow("no closing empty line at the end") << a + "\nS: 1\n\none" << QList<QByteArray>{"S: 1\n\none"} << QList<QByteArray>{a};
        QTest::newRow("empty message") << a + "\n\n" + b + "\nS: 2\n\ntwo\n\n"
                                       << QList<QByteArray>{"", "S: 2\n\ntwo\n"} << QList<QByteArray>{a, b};
        QTest::newRow("Content-Length over an unquoted From") << a + "\nContent-Length: 15\n\nbody\n\nFrom x y\n\n" + b + "\nS: 2\n\ntwo\n\n"
                               << QList<QByteArray>{"Content-Length: 15\n\nbody\n\nFrom x y\n", "S: 2\n\ntwo\n"} << QList<QByteArray>{a, b};
        QTest::newRow("Content-Length to the end") << a + "\nContent-Length: 12\n\nend\n\nFrom z\n"
                               << QList<QByteArray>{"Content-Length: 12\n\nend\n\nFrom z\n"} << QList<QByteArray>{a};
        QTest::newRow("wrong Content-Length is not taken") << a + "\nContent-Length: 3\n\nbody\n\n" + b + "\nS: 2\n\ntwo\n\n"
                               << QList<QByteArray>{"Content-Length: 3\n\nbody\n", "S: 2\n\ntwo\n"} << QList<QByteArray>{a, b};
        QTest::newRow("text before the first separator") << "junk\n\n" + a + "\nS: 1\n\none\n\n"
                               << QList<QByteArray>{"S: 1\n\none\n"} << QList<QByteArray>{a};
    }

    void splitsAtSeparators()
    {
        QFETCH(QByteArray, mbox);
        QFETCH(QList<QByteArray>, messages);
        QFETCH(QList<QByteArray>, envelopes);
        TempTree tree;
        NoYield yielder;
        const MboxMessages found = messagesOfMbox(tree.file(QStringLiteral("mbox"), mbox), yielder);
        QVERIFY2(found.failure.isEmpty(), qPrintable(found.failure));
        QList<QByteArray> texts, separators;
        for (const MboxMessage &message : found.messages) {
            texts << mbox.mid(message.offset, message.length);
            separators << message.envelope;
        }
        QCOMPARE(texts, messages);
        QCOMPARE(separators, envelopes);
    }

    // A message far larger than a piece, with lines cut by the pieces' ends.
    void largeMessages()
    {
        TempTree tree;
        QByteArray body;
        for (int i = 0; i < 60000; ++i)
            body += "line " + QByteArray::number(i) + " of a long body that crosses pieces\n";
        const QByteArray first = "S: 1\n\n" + body, second = "S: 2\n\n" + body + body;
        const QByteArray mbox = "From a@x Mon Jan  1 00:00:00 2024\n" + first + "\nFrom b@x Tue Jan  2 00:00:00 2024\n" + second + "\n";
        NoYield yielder;
        const MboxMessages found = messagesOfMbox(tree.file(QStringLiteral("mbox"), mbox), yielder);
        QCOMPARE(found.messages.size(), 2);
        QCOMPARE(mbox.mid(found.messages[0].offset, found.messages[0].length), first);
        QCOMPARE(mbox.mid(found.messages[1].offset, found.messages[1].length), second);
    }
};

QTEST_GUILESS_MAIN(MboxSourceTest)
#include "tst_mboxsource.moc"
