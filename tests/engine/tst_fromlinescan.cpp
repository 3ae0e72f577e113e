#include "engine/support/Yielder.h"
#include "engine/verify/FromLineScan.h"
#include "engine/verify/MboxSplitCheck.h"
#include "TempTree.h"

#include <QTest>

namespace {

const QByteArray A = "From a@b Mon Jan  1 00:00:00 2024", C = "From c@d Mon Jan  1 00:00:01 2024", E = "From e@f Mon Jan  1 00:00:02 2024";

// The offset after line number's line end.
qint64 afterLine(const QByteArray &mbox, qint64 number)
{
    qint64 at = -1;
    for (qint64 k = 0; k < number && at < mbox.size(); ++k) {
        at = mbox.indexOf('\n', at + 1);
        if (at < 0)
            return mbox.size();
    }
    return at + 1;
}

} // namespace

class FromLineScanTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // separators: the lines this reading takes to begin messages; readAt: the
    // lines a reader that wants an empty line before each separator begins them
    // at; asBody and noHeader: where the two differ, each way.
    void readsSeparatorsOfItsOwn_data()
    {
        QTest::addColumn<QByteArray>("mbox");
        QTest::addColumn<QList<qint64>>("separators");
        QTest::addColumn<QList<qint64>>("readAt");
        QTest::addColumn<QList<qint64>>("asBody");
        QTest::addColumn<QList<qint64>>("noHeader");
        // mutt: a body without a final line end gets one LF, then the next separator.
        QTest::newRow("mboxcl2, as mutt writes it")
            << A + "\nSubject: one\nContent-Length: 5\n\nbody1\n" + C + "\nSubject: two\nContent-Length: 6\n\nbody2\n\n" + E
                   + "\nSubject: three\nContent-Length: 6\n\nbody3\n\n"
            << QList<qint64>{1, 6, 12} << QList<qint64>{1, 12} << QList<qint64>{6} << QList<qint64>{};
        // mblaze's mexport adds no empty line after a message.
        QTest::newRow("mexport") << A + "\nSubject: one\n\n>From the start\nbye\n" + C + "\nSubject: two\n\ntwo\n"
                                 << QList<qint64>{1, 6} << QList<qint64>{1} << QList<qint64>{6} << QList<qint64>{};
        QTest::newRow("mboxrd, a From line in a body")
            << A + "\nSubject: one\n\n>From quoted\ntext\nFrom here on, nothing\nmore text\n\n" + C + "\nSubject: two\n\ntwo\n\n"
            << QList<qint64>{1, 9} << QList<qint64>{1, 9} << QList<qint64>{} << QList<qint64>{};
        QTest::newRow("a long body of empty lines") << A + "\nSubject: one\n\n" + QByteArray(5000, '\n') + C + "\nSubject: two\n\ntwo\n"
                                                    << QList<qint64>{1, 5004} << QList<qint64>{1, 5004} << QList<qint64>{} << QList<qint64>{};
        QTest::newRow("CR LF, an unquoted From line after an empty one")
            << A + "\r\nSubject: one\r\n\r\none\r\n\r\nFrom the desk of Ann\r\n\r\n" + C + "\r\n X-Folded: yes\r\n\r\ntwo\r\n"
            << QList<qint64>{1, 8} << QList<qint64>{1, 6, 8} << QList<qint64>{} << QList<qint64>{6};
        QTest::newRow("no final line end") << A + "\nSubject: one\n\none\n\n" + C + "\nSubject : two\n\nno final line end"
                                           << QList<qint64>{1, 6} << QList<qint64>{1, 6} << QList<qint64>{} << QList<qint64>{};
        QTest::newRow("a From line as the last bytes") << A + "\nSubject: one\n\none\n\nFrom x"
                                                       << QList<qint64>{1} << QList<qint64>{1, 6} << QList<qint64>{} << QList<qint64>{6};
    }
    void readsSeparatorsOfItsOwn()
    {
        QFETCH(QByteArray, mbox);
        QFETCH(QList<qint64>, separators);
        QFETCH(QList<qint64>, readAt);
        QFETCH(QList<qint64>, asBody);
        QFETCH(QList<qint64>, noHeader);
        // Pieces cut anywhere, through a "From ", a line end or the look at the next line.
        for (const qsizetype size : {mbox.size(), qsizetype(1), qsizetype(3), qsizetype(16), qsizetype(17)}) {
            QList<qint64> found;
            FromLineScan scan([&](const FromLine &line) {
                QCOMPARE(line.end, afterLine(mbox, line.number));
                if (line.headerFollows)
                    found.append(line.number);
            });
            for (qsizetype at = 0; at < mbox.size(); at += size)
                scan.feed(QByteArrayView(mbox).sliced(at, qMin(size, mbox.size() - at)));
            scan.finish();
            QCOMPARE(found, separators);
        }

        TempTree tree;
        MboxSplit split{tree.file(QStringLiteral("mbox"), mbox), {}};
        for (const qint64 line : readAt)
            split.starts.append(afterLine(mbox, line));
        NoYield yielder;
        QList<qint64> gotAsBody, gotNoHeader;
        for (const MboxSplitWarning &warning : checkMboxSplit(split, yielder)) {
            QCOMPARE(warning.path, split.path);
            (warning.kind == MboxSplitWarning::Kind::ReadAsBody ? gotAsBody : gotNoHeader).append(warning.line);
            QVERIFY(warning.kind != MboxSplitWarning::Kind::NoFromLine && warning.kind != MboxSplitWarning::Kind::Unreadable);
        }
        QCOMPARE(gotAsBody, asBody);
        QCOMPARE(gotNoHeader, noHeader);
    }
};

QTEST_GUILESS_MAIN(FromLineScanTest)
#include "tst_fromlinescan.moc"
