#include "engine/layout/MaildirNaming.h"
#include "engine/layout/ModifiedUtf7.h"
#include "engine/run/ConversionRun.h"
#include "engine/support/Yielder.h"
#include "SmallDisk.h"
#include "TempTree.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

namespace {

struct Silent : ConversionObserver {
    QStringList written;
    void bytesRead(qint64, qint64) override {}
    void messageDone(int, int) override {}
    void messageWritten(const QString &, const QString &file, qint64, qint64) override { written << file; }
};

// Stops the run at its stopAt-th yield, as a signal would.
struct StopAt : Yielder {
    int stopAt = -1;
    void yield() override
    {
        if (--stopAt == 0)
            throw Interrupted{};
    }
    void yieldNow() override { yield(); }
};

ConversionResult convertInto(const QString &root, const QStringList &sources, bool skipDuplicates = false, bool unread = false,
                             Yielder &&yielder = NoYield())
{
    QList<ConversionEntry> entries;
    for (const QString &source : sources)
        entries.append({source, {}, source.lastIndexOf(QLatin1String("/In/")) + 1});
    Silent observer;
    ConversionRules rules{.naming = {MboxNaming::Rule::Relative, root, {}},
                          .layout = OutputLayout::Maildir,
                          .lfLineEnds = true,
                          .skipDuplicates = skipDuplicates};
    rules.unread = unread;
    return convertEntries(entries, rules, observer, yielder);
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

const QByteArray Dated = "Date: Tue, 5 Mar 2024 10:00:00 +0000\r\n";
const QDateTime March5 = QDateTime(QDate(2024, 3, 5), QTime(10, 0), Qt::UTC);

} // namespace

class TestMaildirLayout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void modifiedUtf7_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("ASCII as it is") << QStringLiteral("Sent Items") << QByteArray("Sent Items");
        QTest::newRow("ampersand") << QStringLiteral("A&B") << QByteArray("A&-B");
        QTest::newRow("umlauts apart") << QStringLiteral("Früh Spät") << QByteArray("Fr&APw-h Sp&AOQ-t");
        QTest::newRow("RFC 3501's example") << QStringLiteral("~peter/mail/台北/日本語")
                                            << QByteArray("~peter/mail/&U,BTFw-/&ZeVnLIqe-");
        QTest::newRow("beyond 16 bits") << QStringLiteral("x😀") << QByteArray("x&2D3eAA-");
    }
    void modifiedUtf7()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, stored);
        QCOMPARE(::modifiedUtf7(name), stored);
    }

    void folderNames_data()
    {
        QTest::addColumn<QStringList>("levels");
        QTest::addColumn<QByteArray>("folder");
        QTest::newRow("levels joined by dots") << QStringList{"Mail", "Lists"} << QByteArray(".Mail.Lists");
        QTest::newRow("a dot inside a name") << QStringList{"v1.2"} << QByteArray(".v1&ICQ-2");
        QTest::newRow("Inbox is the root") << QStringList{"inbox"} << QByteArray();
        QTest::newRow("below the Inbox") << QStringList{"Inbox", "Bounces"} << QByteArray(".INBOX.Bounces");
        QTest::newRow("no levels") << QStringList{} << QByteArray();
    }
    void folderNames()
    {
        QFETCH(QStringList, levels);
        QFETCH(QByteArray, folder);
        QCOMPARE(maildirFolderName(levels), folder);
    }

    void hashFoundInNames_data()
    {
        const QByteArray hash = "0123456789abcdef0123456789abcdef";
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("found");
        QTest::newRow("as written") << maildirBaseName(1709632800, hash) + ":2,S" << hash;
        QTest::newRow("flags changed by a mail program") << maildirBaseName(0, hash) + ":2,RS" << hash;
        QTest::newRow("a further copy, in new/") << maildirBaseName(-5, hash, 3) << hash;
        QTest::newRow("Dovecot's own") << QByteArray("1709632800.M5P6Q7.host,S=120:2,S") << QByteArray();
        QTest::newRow("hash cut short") << QByteArray("1.H0123.quorvel:2,S") << QByteArray();
    }
    void hashFoundInNames()
    {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, found);
        QCOMPARE(hashInMaildirName(name), found);
    }

    // Read back as mutt and Dovecot do: the file is the message, nothing added.
    void messageFiles_data()
    {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("CR LF made LF") << Dated + "\r\nbody\r\n" << QByteArray("Date: Tue, 5 Mar 2024 10:00:00 +0000\n\nbody\n");
        QTest::newRow("envelope line left out")
            << "From a@x Tue Mar  5 10:00:00 2024\n" + Dated + "\nx\n" << QByteArray("Date: Tue, 5 Mar 2024 10:00:00 +0000\n\nx\n");
        QTest::newRow("From lines not quoted") << Dated + "\nFrom here\n>From there\n"
                                               << QByteArray("Date: Tue, 5 Mar 2024 10:00:00 +0000\n\nFrom here\n>From there\n");
        QTest::newRow("no line end at its end") << Dated + "\nlast" << QByteArray("Date: Tue, 5 Mar 2024 10:00:00 +0000\n\nlast");
        const QByteArray lines = QByteArray("line, From the middle\r\n").repeated(100000);
        QTest::newRow("larger than a piece") << Dated + "\r\n" + lines
                                             << "Date: Tue, 5 Mar 2024 10:00:00 +0000\n\n" + QByteArray(lines).replace("\r\n", "\n");
    }
    void messageFiles()
    {
        QFETCH(QByteArray, source);
        QFETCH(QByteArray, file);
        TempTree tree;
        const QStringList sources{tree.file(QStringLiteral("src/In/Sub/1.eml"), source)};
        const QString folder = tree.path(QStringLiteral("out/.In.Sub/"));
        QVERIFY(convertInto(tree.path(QStringLiteral("out")), sources).succeeded());
        const QStringList cur = filesIn(folder + QStringLiteral("cur"));
        QCOMPARE(cur.size(), 1);
        QVERIFY2(cur[0].endsWith(QLatin1String(":2,S")), qPrintable(cur[0]));
        const QString written = folder + QStringLiteral("cur/") + cur[0];
        QCOMPARE(TempTree::read(written), file);
        QCOMPARE(QFileInfo(written).lastModified().toUTC(), March5);
        QVERIFY(filesIn(folder + QStringLiteral("tmp")).isEmpty());
        QVERIFY(filesIn(folder + QStringLiteral("new")).isEmpty());
        QVERIFY(QFileInfo::exists(folder + QStringLiteral("maildirfolder")));
        QVERIFY(QFileInfo(tree.path(QStringLiteral("out/cur"))).isDir());
        QVERIFY(!QFileInfo::exists(tree.path(QStringLiteral("out/maildirfolder"))));
    }

    void unreadStaysNew()
    {
        TempTree tree;
        const QStringList sources{tree.file(QStringLiteral("src/In/1.eml"), Dated + "\nx\n")};
        QVERIFY(convertInto(tree.path(QStringLiteral("out")), sources, false, true).succeeded());
        const QStringList fresh = filesIn(tree.path(QStringLiteral("out/.In/new")));
        QCOMPARE(fresh.size(), 1);
        QVERIFY(!fresh[0].contains(QLatin1Char(':')));
        QVERIFY(filesIn(tree.path(QStringLiteral("out/.In/cur"))).isEmpty());
    }

    void rerunsFindTheirCopiesByName_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("small") << QByteArray("x\n");
        QTest::newRow("larger than a piece") << QByteArray("0123456789\n").repeated(200000);
    }
    void rerunsFindTheirCopiesByName()
    {
        QFETCH(QByteArray, body);
        TempTree tree;
        const QString out = tree.path(QStringLiteral("out"));
        const QStringList sources{tree.file(QStringLiteral("src/In/1.eml"), Dated + "\n" + body),
                                  tree.file(QStringLiteral("src/In/2.eml"), Dated + "\r\n" + QByteArray(body).replace("\n", "\r\n")),
                                  tree.file(QStringLiteral("src/In/3.eml"), Dated + "\nother\n")};
        const ConversionResult first = convertInto(out, sources, true);
        QCOMPARE(first.written, 2);  // 2.eml differs from 1.eml only in its line ends
        QCOMPARE(first.skipped, 1);
        const ConversionResult again = convertInto(out, sources, true);
        QCOMPARE(again.written, 0);
        QCOMPARE(again.skipped, 3);
        const ConversionResult copies = convertInto(out, sources);
        QCOMPARE(copies.written, 3);
        QCOMPARE(filesIn(out + QStringLiteral("/.In/cur")).size(), 5);
    }

    void unreadableSourcesLeaveNoFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("vanished") << QStringLiteral("src/In/gone.eml");
        QTest::newRow("a folder named like a message") << QStringLiteral("src/In/folder.eml");
    }
    void unreadableSourcesLeaveNoFile()
    {
        QFETCH(QString, name);
        TempTree tree;
        tree.folder(QStringLiteral("src/In/folder.eml"));
        const ConversionResult result = convertInto(tree.path(QStringLiteral("out")), {tree.path(name)});
        QCOMPARE(result.failures.size(), 1);
        QVERIFY(!result.failures[0].reason.isEmpty());
        QVERIFY(filesIn(tree.path(QStringLiteral("out/.In/cur"))).isEmpty());
        QVERIFY(filesIn(tree.path(QStringLiteral("out/.In/tmp"))).isEmpty());
    }

    void interruptedRunsLeaveWholeFilesOnly_data()
    {
        QTest::addColumn<int>("stopAt");
        QTest::newRow("before the first") << 1;
        QTest::newRow("after the first") << 4;
        QTest::newRow("inside the large message") << 8;
    }
    void interruptedRunsLeaveWholeFilesOnly()
    {
        QFETCH(int, stopAt);
        TempTree tree;
        const QByteArray large = Dated + "\n" + QByteArray("0123456789\n").repeated(300000);
        const QStringList sources{tree.file(QStringLiteral("src/In/1.eml"), Dated + "\nsmall\n"),
                                  tree.file(QStringLiteral("src/In/2.eml"), large),
                                  tree.file(QStringLiteral("src/In/3.eml"), Dated + "\nlast\n")};
        StopAt yielder;
        yielder.stopAt = stopAt;
        QVERIFY_THROWS_EXCEPTION(Interrupted, convertInto(tree.path(QStringLiteral("out")), sources, false, false, std::move(yielder)));
        const QString folder = tree.path(QStringLiteral("out/.In/"));
        QVERIFY(filesIn(folder + QStringLiteral("tmp")).isEmpty());
        QCOMPARE(filesIn(folder + QStringLiteral("cur")).size(), stopAt > 1 ? 1 : 0);
        for (const QString &name : filesIn(folder + QStringLiteral("cur"))) {
            const QByteArray text = TempTree::read(folder + QStringLiteral("cur/") + name);
            QVERIFY2(text.endsWith("small\n") || text == QByteArray(large).replace("\r\n", "\n") || text.endsWith("last\n"), qPrintable(name));
        }
    }

    void fullDiskEndsTheRunWithWholeFilesOnly()
    {
        const SmallDisk disk("1m");
        if (!disk.mounted())
            QSKIP("no right to mount a tmpfs here");
        TempTree tree;
        QStringList sources;
        for (int k = 1; k <= 30; ++k)
            sources << tree.file(QStringLiteral("src/In/%1.eml").arg(k), Dated + "\n" + QByteArray::number(k) + QByteArray(60000, 'x') + "\n");
        const ConversionResult result = convertInto(disk.path(), sources);
        QCOMPARE(result.stoppedBy, ENOSPC);
        QVERIFY(result.written > 0);
        QCOMPARE(result.notTried, sources.size() - result.written - 1);
        const QString folder = disk.path() + QStringLiteral("/.In/");
        QVERIFY(filesIn(folder + QStringLiteral("tmp")).isEmpty());
        const QStringList cur = filesIn(folder + QStringLiteral("cur"));
        QCOMPARE(cur.size(), result.written);
        for (const QString &name : cur)
            QVERIFY(TempTree::read(folder + QStringLiteral("cur/") + name).endsWith(QByteArray(60000, 'x') + "\n"));
    }
};

QTEST_GUILESS_MAIN(TestMaildirLayout)
#include "tst_maildirlayout.moc"
