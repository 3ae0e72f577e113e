#include "engine/message/EnvelopeLine.h"
#include "engine/message/EnvelopeSkip.h"

#include <QTest>

class EnvelopeSkipTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // rest: what a reader gets of the message; held: the most bytes of the
    // line's start that may wait for the byte that decides.
    void skip_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QByteArray>("rest");
        QTest::addColumn<int>("held");
        const QByteArray line = "From a@b Fri Jul  8 12:08:34 2011";
        auto row = [](const char *name, const QByteArray &message, const QByteArray &rest, int held) {
            QTest::newRow(name) << message << rest << held;
        };
        row("CR LF after the line", line + "\r\nX: 1\r\n\r\nb\r\n", "X: 1\r\n\r\nb\r\n", 0);
        row("LF after the line", line + "\nX: 1\n", "X: 1\n", 0);
        row("lone CR after the line", line + "\rX: 1\r", "X: 1\r", 0);
        row("lone CR, then the message's own CR", line + "\r\rX", "\rX", 0);
        row("LF, then the message's own CR", line + "\n\rX", "\rX", 0);
        row("empty sender, two spaces", "From  Fri Jul  8 12:08:34 2011\nX: 1\n", "X: 1\n", 0);
        row("tabs and spaces before the sender", "From \t a\nX", "X", 0);
        row("only the line", line, "", 0);
        row("only the line and its break", line + "\r\n", "", 0);
        row("only From and blanks", "From \t ", "", 0);
        row("From and a break", "From \n", "", 0);
        row("a second envelope line stays", line + "\nFrom b\n", "From b\n", 0);
        row("obsolete From : field", "From : a@b\n\nx\n", "From : a@b\n\nx\n", 5);
        row("blanks before the colon", "From \t  :a\n", "From \t  :a\n", 8);
        row("From: field", "From: a@b\r\n\r\nx", "From: a@b\r\n\r\nx", 4);
        row("From without a space", "From\nX", "From\nX", 4);
        row("Fromage", "Fromage\n", "Fromage\n", 4);
        row("lower case", "from a\n", "from a\n", 0);
        row("a part of From, alone", "Fro", "Fro", 3);
        row("no envelope line", "Subject: s\r\n\r\nb", "Subject: s\r\n\r\nb", 0);
        row("empty message", "", "", 0);
    }

    // Whole, in two pieces cut at every byte, and a byte at a time.
    void skip()
    {
        QFETCH(QByteArray, message);
        QFETCH(QByteArray, rest);
        QFETCH(int, held);
        const QByteArrayView whole(message);
        const qsizetype lineLength = message.size() - rest.size();
        for (qsizetype cut = 0; cut <= whole.size(); ++cut) {
            QByteArray out;
            const auto gather = [&out](QByteArrayView text) { out.append(text); };
            EnvelopeSkip envelope;
            envelope.feed(whole.first(cut), gather);
            QVERIFY2(rest.startsWith(out) && out.size() >= qMax<qsizetype>(0, cut - lineLength) - held,
                     qPrintable(QStringLiteral("cut at %1: %2 bytes handed on").arg(cut).arg(out.size())));
            envelope.feed(whole.sliced(cut), gather);
            envelope.finish(gather);
            QVERIFY2(out == rest, qPrintable(QStringLiteral("cut at %1").arg(cut)));
        }
        QByteArray out;
        const auto gather = [&out](QByteArrayView text) { out.append(text); };
        EnvelopeSkip bytewise;
        for (qsizetype at = 0; at < whole.size(); ++at)
            bytewise.feed(whole.sliced(at, 1), gather);
        bytewise.finish(gather);
        QCOMPARE(out, rest);

        const EnvelopeLine found = findEnvelopeLine(message);
        QCOMPARE(found.lengthWithBreak, lineLength);
        QVERIFY(!found.text.contains('\r') && !found.text.contains('\n'));
    }
};

QTEST_GUILESS_MAIN(EnvelopeSkipTest)
#include "tst_envelopeskip.moc"
