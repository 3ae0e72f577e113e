#include "engine/message/MessageReader.h"
#include "engine/message/FromUnquoter.h"
#include "TempTree.h"

#include <QTest>

class MessageSourceTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void unquotingAcrossAnyCut_data()
    {
        QTest::addColumn<QByteArray>("quoted");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("one level") << QByteArray("a\n>From b\nc\n") << QByteArray("a\nFrom b\nc\n");
        QTest::newRow("deeper levels") << QByteArray(">>From a\n>>>From b\n") << QByteArray(">From a\n>>From b\n");
        QTest::newRow("first line") << QByteArray(">From a") << QByteArray("From a");
        QTest::newRow("not From") << QByteArray(">Fro\n>From\n>Frome x\n> From x\n") << QByteArray(">Fro\n>From\n>Frome x\n> From x\n");
        QTest::newRow("inside a line") << QByteArray("x >From y\n") << QByteArray("x >From y\n");
        QTest::newRow("inside a later line") << QByteArray("a\nx >From y\n") << QByteArray("a\nx >From y\n");
        QTest::newRow("CR LF lines") << QByteArray("a\r\n>From b\r\n\r\n>>From c\r\n") << QByteArray("a\r\nFrom b\r\n\r\n>From c\r\n");
        QTest::newRow("ends in quotes") << QByteArray("a\n>>") << QByteArray("a\n>>");
        QTest::newRow("unquoted From stays") << QByteArray("From a\n") << QByteArray("From a\n");
        QTest::newRow("thousands of quotes") << QByteArray(3000, '>') + "From a\n" + QByteArray(3000, '>') + "Fro"
                                             << QByteArray(2999, '>') + "From a\n" + QByteArray(3000, '>') + "Fro";
    }

    void unquotingAcrossAnyCut()
    {
        QFETCH(QByteArray, quoted);
        QFETCH(QByteArray, text);
        for (qsizetype cut = 0; cut <= quoted.size(); ++cut) {
            FromUnquoter unquoter;
            QByteArray out;
            unquoter.feed(QByteArrayView(quoted).first(cut), out);
            unquoter.feed(QByteArrayView(quoted).sliced(cut), out);
            unquoter.finish(out);
            QVERIFY2(out == text, qPrintable(QStringLiteral("cut at %1: ").arg(cut) + QString::fromLatin1(out)));
        }
        FromUnquoter bytewise;
        QByteArray out;
        for (const char c : quoted)
            bytewise.feed(QByteArrayView(&c, 1), out);
        bytewise.finish(out);
        QCOMPARE(out, text);
    }

    void messageInMemory()
    {
        const QByteArray bytes = QByteArray("Subject: x\n\n") + QByteArray(1000, 'y');
        const QDateTime time(QDate(2024, 3, 5), QTime(1, 2, 3), Qt::UTC);
        MessageReader reader = MessageReader::fromBytes(bytes, time);
        QVERIFY(reader.ok());
        QCOMPARE(reader.size(), bytes.size());
        QCOMPARE(reader.modified(), time);
        QByteArray all, piece;
        do {
            QVERIFY(reader.next(piece, 7));
            all += piece;
        } while (!piece.isEmpty());
        QCOMPARE(all, bytes);
    }

    // One record of an mbox, read back unquoted in pieces of every size.
    void recordOfAnMboxUnquoted()
    {
        TempTree tree;
        const QByteArray record = "Subject: q\n\n>From a\n>>From b\nx >From c\n>>>>\n";
        const QString mbox = tree.file(QStringLiteral("m"), "From a@x Mon Jan  1 00:00:00 2024\n" + record + "\nFrom b@x ...\n");
        for (qint64 pieceSize : {1, 2, 3, 5, 8, 64}) {
            MessageReader reader(mbox, 34, record.size());
            reader.undoFromQuoting();
            QByteArray all, piece;
            do {
                QVERIFY(reader.next(piece, pieceSize));
                all += piece;
            } while (!piece.isEmpty());
            QCOMPARE(all, QByteArray("Subject: q\n\nFrom a\n>From b\nx >From c\n>>>>\n"));
        }
    }

    void rangeOfAFile_data()
    {
        QTest::addColumn<qint64>("offset");
        QTest::addColumn<qint64>("length");
        QTest::addColumn<bool>("readable");
        QTest::newRow("middle") << qint64(4) << qint64(10) << true;
        QTest::newRow("to the end") << qint64(4) << qint64(16) << true;
        QTest::newRow("empty") << qint64(20) << qint64(0) << true;
        QTest::newRow("past the end") << qint64(4) << qint64(17) << false;
        QTest::newRow("negative") << qint64(-1) << qint64(3) << false;
    }

    void rangeOfAFile()
    {
        QFETCH(qint64, offset);
        QFETCH(qint64, length);
        QFETCH(bool, readable);
        TempTree tree;
        const QByteArray bytes = "head0123456789tail!!";
        MessageReader reader(tree.file(QStringLiteral("m"), bytes), offset, length);
        QCOMPARE(reader.ok(), readable);
        if (!readable)
            return;
        QCOMPARE(reader.size(), length);
        QByteArray all, piece;
        do {
            QVERIFY(reader.next(piece, 3));
            all += piece;
        } while (!piece.isEmpty());
        QCOMPARE(all, bytes.mid(offset, length));
    }
};

QTEST_GUILESS_MAIN(MessageSourceTest)
#include "tst_messagesource.moc"
