#include "engine/run/ConversionRun.h"
#include "engine/source/SourceEntries.h"
#include "engine/support/Yielder.h"
#include "TempTree.h"

#include <QTest>

namespace {

struct Warnings : ConversionObserver {
    QStringList texts;
    void bytesRead(qint64, qint64) override {}
    void messageDone(int, int) override {}
    void messageWarning(const QString &, const QString &text) override { texts << text; }
};

ConversionResult convertSources(const QStringList &sources, const QString &single, bool lf, Warnings &observer)
{
    NoYield yielder;
    QList<LeftOutFile> unreadable;
    const QList<ConversionEntry> entries = sourceEntries(listTypedSources(sources, yielder), yielder, unreadable);
    ConversionRules rules{.naming = MboxNaming::single(single)};
    rules.lfLineEnds = lf;
    return convertEntries(entries, rules, observer, yielder);
}

} // namespace

class SourceConversionTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Separators, quoting and messages come through unchanged.
    void mboxToMboxIsTheSame_data()
    {
        QTest::addColumn<QByteArray>("mbox");
        QTest::addColumn<bool>("lf");
        const QByteArray lf = "From a@x.org Mon Jan  1 10:00:00 2024\nFrom: a@x.org\nSubject: one\n\n>From the start\n>>From deeper\nplain\n\n"
                              "From MAILER-DAEMON Tue Jan  2 10:00:00 2024\n\n"
                              "From b@x.org Wed Jan  3 10:00:00 2024\nFrom: b@x.org\n\nno final line break\n\n";
        QTest::newRow("LF") << lf << true;
        QTest::newRow("CR LF") << QByteArray(lf).replace("\n", "\r\n") << false;
    }

    void mboxToMboxIsTheSame()
    {
        QFETCH(QByteArray, mbox);
        QFETCH(bool, lf);
        TempTree tree;
        const QString source = tree.file(QStringLiteral("Old/Inbox"), mbox);
        Warnings observer;
        const ConversionResult result = convertSources({source}, tree.path(QStringLiteral("out.mbox")), lf, observer);
        QCOMPARE(result.written, 3);
        QCOMPARE(TempTree::read(tree.path(QStringLiteral("out.mbox"))), mbox);
    }

    void appleMailMessages()
    {
        TempTree tree;
        const QByteArray message = "From: a@x.org\nSubject: s\n\n<?xml version=\"1.0\"?> inside\n";
        const QByteArray plist = "<?xml version=\"1.0\"?><plist><dict><key>flags</key><integer>1</integer></dict></plist>";
        tree.file(QStringLiteral("Box.mbox/ID/Data/Messages/1.emlx"), QByteArray::number(message.size()) + "\n" + message + plist);
        const QByteArray partial = "From: a@x.org\nContent-Type: multipart/mixed; boundary=b\n\n--b\n\ntext\n--b\n"
                                   "Content-Type: application/octet-stream; name=a.bin\nContent-Transfer-Encoding: base64\n"
                                   "X-Apple-Content-Length: 3\n\n--b--\n";
        tree.file(QStringLiteral("Box.mbox/ID/Data/Messages/2.partial.emlx"), QByteArray::number(partial.size()) + "\n" + partial + plist);
        tree.file(QStringLiteral("Box.mbox/ID/Data/Messages/3.partial.emlx"), QByteArray::number(partial.size()) + "\n" + partial + plist);
        tree.file(QStringLiteral("Box.mbox/ID/Data/Attachments/2/2/a.bin"), "abc");
        Warnings observer;
        const ConversionResult result = convertSources({tree.path(QStringLiteral("Box.mbox"))}, tree.path(QStringLiteral("out.mbox")), true, observer);
        QCOMPARE(result.written, 3);
        const QByteArray out = TempTree::read(tree.path(QStringLiteral("out.mbox")));
        QVERIFY2(out.mid(out.indexOf('\n') + 1).startsWith(message + "\nFrom "), out.constData());  // the length, not the XML, ends it
        QVERIFY(out.contains("X-Apple-Content-Length: 3\n\nYWJj\n--b--"));  // "abc" in base64, back in its part
        QCOMPARE(observer.texts, QStringList{"incomplete: Apple Mail did not keep the attachment of part 2"});
    }
};

QTEST_GUILESS_MAIN(SourceConversionTest)
#include "tst_sourceconversion.moc"
