#include "engine/source/MaildirName.h"
#include "engine/source/SourceKind.h"
#include "TempTree.h"

#include <QTest>

class SourceKindTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fileKinds_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("start");
        QTest::addColumn<SourceKind>("kind");
        QTest::newRow("eml") << "a.eml" << QByteArray("From: a@x\n") << SourceKind::Eml;
        QTest::newRow("EML in capitals") << "A.EML" << QByteArray() << SourceKind::Eml;
        QTest::newRow("eml with an envelope line stays eml") << "a.eml" << QByteArray("From a@x Mon Jan  1 00:00:00 2024\n") << SourceKind::Eml;
        QTest::newRow("emlx") << "12.emlx" << QByteArray("345\n") << SourceKind::Emlx;
        QTest::newRow("partial emlx") << "12.partial.emlx" << QByteArray("345\n") << SourceKind::PartialEmlx;
        QTest::newRow("mbox without extension") << "Inbox" << QByteArray("From a@x Mon Jan  1 00:00:00 2024\r\nSubject: x\r\n") << SourceKind::Mbox;
        QTest::newRow("Apple export file") << "mbox" << QByteArray("From MAILER-DAEMON Mon Jan  1 00:00:00 2024\n") << SourceKind::Mbox;
        QTest::newRow("From: header is no separator") << "notes" << QByteArray("From: a@x\n") << SourceKind::Unknown;
        QTest::newRow("From alone") << "notes" << QByteArray("From \n") << SourceKind::Unknown;
        QTest::newRow("text") << "readme.txt" << QByteArray("hello\n") << SourceKind::Unknown;
    }

    void fileKinds()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, start);
        QFETCH(SourceKind, kind);
        QCOMPARE(fileKind(name, start), kind);
    }

    void maildirNeedsCurAndNew()
    {
        TempTree tree;
        tree.folder(QStringLiteral("full/cur"));
        tree.folder(QStringLiteral("full/new"));
        tree.folder(QStringLiteral("half/cur"));
        tree.file(QStringLiteral("file/cur"));
        tree.folder(QStringLiteral("file/new"));
        QVERIFY(isMaildir(tree.path(QStringLiteral("full"))));
        QVERIFY(!isMaildir(tree.path(QStringLiteral("half"))));
        QVERIFY(!isMaildir(tree.path(QStringLiteral("file"))));
    }

    void flagsFromNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<MessageFlags>("flags");
        QTest::newRow("no info") << "1700000000.M1P2.host" << MessageFlags{};
        QTest::newRow("empty info") << "1700000000.M1P2.host:2," << MessageFlags{};
        QTest::newRow("seen replied") << "1.host:2,RS" << MessageFlags{.seen = true, .answered = true};
        QTest::newRow("all") << "1.host:2,DFPRST" << MessageFlags{true, true, true, true, true, true};
        QTest::newRow("unknown and lower case letters") << "1.host:2,Sabc" << MessageFlags{.seen = true};
        QTest::newRow("experimental info") << "1.host:1,S" << MessageFlags{};
    }

    void flagsFromNames()
    {
        QFETCH(QString, name);
        QFETCH(MessageFlags, flags);
        QCOMPARE(maildirFlags(name), flags);
    }

    void folderNames_data()
    {
        QTest::addColumn<QString>("dotName");
        QTest::addColumn<QString>("path");
        QTest::newRow("one level") << ".Sent" << "Sent";
        QTest::newRow("two levels") << ".Archive.2024" << "Archive/2024";
        QTest::newRow("non-ASCII") << ".Entw&APw-rfe" << QStringLiteral("Entwürfe");
        QTest::newRow("CJK over two levels") << ".&U,BTFw-.&ZeVnLIqe-" << QStringLiteral("台北/日本語");
        QTest::newRow("ampersand") << ".Tom &- Jerry" << "Tom & Jerry";
        QTest::newRow("not modified UTF-7 stays") << ".a&b" << "a&b";
        QTest::newRow("no dot") << "cur" << QString();
        QTest::newRow("empty level") << ".a..b" << QString();
        QTest::newRow("dot dot") << ".." << QString();
    }

    void folderNames()
    {
        QFETCH(QString, dotName);
        QFETCH(QString, path);
        QCOMPARE(maildirFolderPath(dotName), path);
    }
};

QTEST_GUILESS_MAIN(SourceKindTest)
#include "tst_sourcekind.moc"
