#include "engine/layout/ThunderbirdNaming.h"
#include "engine/layout/ThunderbirdProfile.h"
#include "engine/layout/TopFolderSources.h"
#include "engine/support/FileNames.h"
#include "TempTree.h"

#include <QFileInfo>
#include <QTest>

class ThunderbirdLayoutTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Where a source folder's messages go below the tree's root.
    void folderNames_data()
    {
        QTest::addColumn<QString>("relativeFolder");
        QTest::addColumn<QString>("expected");
        QTest::newRow("the listed folder itself") << "Mail" << "Mail";
        QTest::newRow("nested") << "Mail/Inbox/Bounces" << "Mail.sbd/Inbox.sbd/Bounces";
        QTest::newRow("leading dot") << "Mail/.hidden" << "Mail.sbd/_.hidden";
        QTest::newRow("leading #") << "#Mail/x" << "_Mail.sbd/x";
        QTest::newRow("# and ; inside") << "Mail/a;b#c" << "Mail.sbd/a_b_c";
        QTest::newRow("a tab") << "Mail/a\tb" << "Mail.sbd/a_b";
        QTest::newRow("trailing dot") << "Mail/v1." << "Mail.sbd/v1._";
        QTest::newRow("trailing space") << "Mail/x " << "Mail.sbd/x _";
        QTest::newRow("trailing ~") << "Mail/draft~" << "Mail.sbd/draft~_";
        QTest::newRow(".msf, any case") << "Mail/old.MSF" << "Mail.sbd/old.MSF_";
        QTest::newRow(".sbd inside the tree") << "Mail/a.sbd/b" << "Mail.sbd/a.sbd_.sbd/b";
        QTest::newRow(".snm") << "Mail/x.snm" << "Mail.sbd/x.snm_";
        QTest::newRow(".toc") << "Mail/x.toc" << "Mail.sbd/x.toc_";
        QTest::newRow(".mozmsgs") << "Mail/x.mozmsgs" << "Mail.sbd/x.mozmsgs_";
        QTest::newRow("a dot elsewhere") << "Mail/v1.2" << "Mail.sbd/v1.2";
        QTest::newRow("UTF-8") << QStringLiteral("Caf\u00e9/R&D") << QStringLiteral("Caf\u00e9.sbd/R&D");
        QTest::newRow("not UTF-8, read as Latin-1") << nameFromNative("Caf\xe9/Entr\xe9\x65") << QStringLiteral("Caf\u00e9.sbd/Entr\u00e9\x65");
        QTest::newRow("55 characters") << "Mail/" + QString(55, QLatin1Char('L')) << "Mail.sbd/" + QString(55, QLatin1Char('L'));
        QTest::newRow("56 characters") << "Mail/" + QString(56, QLatin1Char('L')) << "Mail.sbd/" + QString(47, QLatin1Char('L')) + "ec25fd91";
        // The file Thunderbird 153 made itself for a folder of 80 L's.
        QTest::newRow("80 characters") << "Mail/" + QString(80, QLatin1Char('L')) << "Mail.sbd/" + QString(47, QLatin1Char('L')) + "6af4eb61";
    }
    void folderNames()
    {
        QFETCH(QString, relativeFolder);
        QFETCH(QString, expected);
        const OutputTarget target = thunderbirdTarget(QStringLiteral("/d/Local Folders"), relativeFolder);
        QCOMPARE(target.file, QStringLiteral("/d/Local Folders/") + expected);
        QCOMPARE(target.folder, target.file.left(target.file.lastIndexOf(QLatin1Char('/')) + 1));
        QCOMPARE(thunderbirdFolderName(expected.section(QLatin1Char('/'), -1)), expected.section(QLatin1Char('/'), -1));
    }

    // Every level with subfolders gets its file; one with messages keeps them.
    void parentFolderFiles()
    {
        TempTree tree;
        tree.file(QStringLiteral("Mail"), "From x\n\n");
        const QString folder = tree.folder(QStringLiteral("Mail.sbd/Inbox.sbd/Old.sbd"));
        QVERIFY(makeParentFolderFiles(tree.root(), folder + QLatin1Char('/')).isEmpty());
        QCOMPARE(TempTree::read(tree.path(QStringLiteral("Mail"))), QByteArray("From x\n\n"));
        for (const char *file : {"Mail.sbd/Inbox", "Mail.sbd/Inbox.sbd/Old"}) {
            const QFileInfo made(tree.path(QLatin1String(file)));
            QVERIFY2(made.isFile() && made.size() == 0, file);
        }
    }

    void defaultProfile_data()
    {
        QTest::addColumn<QByteArray>("profilesIni");
        QTest::addColumn<QByteArray>("installsIni");
        QTest::addColumn<QString>("expected");
        const QByteArray two("[Profile0]\nName=old\nIsRelative=1\nPath=a.old\nDefault=1\n\n"
                             "[Profile1]\nName=esr\nIsRelative=1\nPath=b.default-esr\n\n[General]\nVersion=2\n");
        QTest::newRow("installs.ini wins over Default=1") << two << QByteArray("[4F96D1932A9F858E]\nDefault=b.default-esr\nLocked=1\n") << "b.default-esr";
        QTest::newRow("an Install section") << two + "[Install4F96D1932A9F858E]\nDefault=b.default-esr\n" << QByteArray() << "b.default-esr";
        QTest::newRow("Default=1") << two << QByteArray() << "a.old";
        QTest::newRow("an install's default that is gone") << two << QByteArray("[X]\nDefault=c.gone\n") << "a.old";
        QTest::newRow("the only one") << QByteArray("[Profile0]\nName=p\nIsRelative=1\nPath=p.default\n") << QByteArray() << "p.default";
        QTest::newRow("CR LF, absolute path")
            << QByteArray("[Profile0]\r\nName=abs\r\nIsRelative=0\r\nPath=/srv/tb/abs\r\n") << QByteArray() << "/srv/tb/abs";
    }
    void defaultProfile()
    {
        QFETCH(QByteArray, profilesIni);
        QFETCH(QByteArray, installsIni);
        QFETCH(QString, expected);
        TempTree tree;
        tree.file(QStringLiteral("profiles.ini"), profilesIni);
        if (!installsIni.isEmpty())
            tree.file(QStringLiteral("installs.ini"), installsIni);
        const ProfileList list = readProfiles(tree.root());
        QVERIFY(list.defaultIndex >= 0);
        const QString path = list.profiles[list.defaultIndex].path;
        QCOMPARE(path, expected.startsWith(QLatin1Char('/')) ? expected : tree.path(expected));
    }

    // Thunderbird's own folder first, then Flatpak's, then Snap's; by name in any.
    void profileFound_data()
    {
        QTest::addColumn<QStringList>("homes");  // where a profiles.ini is, each with one profile named after its place
        QTest::addColumn<QString>("wanted");
        QTest::addColumn<QString>("found");      // the home whose profile is found; empty: a problem
        const QString own = QStringLiteral(".thunderbird"), flatpak = QStringLiteral(".var/app/org.mozilla.Thunderbird/.thunderbird"),
                      snap = QStringLiteral("snap/thunderbird/common/.thunderbird");
        QTest::newRow("own") << QStringList{own, flatpak} << QString() << own;
        QTest::newRow("Flatpak") << QStringList{flatpak} << QString() << flatpak;
        QTest::newRow("Snap") << QStringList{snap} << QString() << snap;
        QTest::newRow("by name, in Snap") << QStringList{own, snap} << QStringLiteral("snap") << snap;
        QTest::newRow("no Thunderbird") << QStringList{} << QString() << QString();
    }
    void profileFound()
    {
        QFETCH(QStringList, homes);
        QFETCH(QString, wanted);
        QFETCH(QString, found);
        TempTree tree;
        for (const QString &home : homes) {
            const QString name = home.contains(QLatin1String("snap")) ? QStringLiteral("snap") : home.contains(QLatin1String(".var")) ? QStringLiteral("flatpak") : QStringLiteral("own");
            tree.file(home + QStringLiteral("/profiles.ini"), "[Profile0]\nName=" + name.toUtf8() + "\nIsRelative=1\nPath=p\n");
        }
        const ProfileChoice choice = findThunderbirdProfile(tree.root(), wanted);
        QCOMPARE(choice.path, found.isEmpty() ? QString() : tree.path(found + QStringLiteral("/p")));
        QCOMPARE(choice.problem.isEmpty(), !found.isEmpty());
    }

    void localFoldersFromPrefs_data()
    {
        QTest::addColumn<QByteArray>("prefs");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no prefs.js") << QByteArray() << "Mail/Local Folders";
        QTest::newRow("directory-rel") << QByteArray("user_pref(\"mail.accountmanager.localfoldersserver\", \"server3\");\n"
                                                     "user_pref(\"mail.server.server3.directory-rel\", \"[ProfD]Mail/Local Folders-1\");\n")
                                       << "Mail/Local Folders-1";
    }
    void localFoldersFromPrefs()
    {
        QFETCH(QByteArray, prefs);
        QFETCH(QString, expected);
        TempTree tree;
        tree.folder(QStringLiteral("Mail/Local Folders"));
        tree.folder(QStringLiteral("Mail/Local Folders-1"));
        if (!prefs.isEmpty())
            tree.file(QStringLiteral("prefs.js"), prefs);
        QCOMPARE(localFoldersOf(tree.root()), tree.path(expected));
        TempTree empty;
        QVERIFY(localFoldersOf(empty.root()).isEmpty());
    }

    // A new top folder takes the first name free in Local Folders: neither
    // the mbox file nor its .sbd there, nor given to another top folder.
    void freeNames()
    {
        TempTree tree;
        tree.file(QStringLiteral("Mail"));
        tree.folder(QStringLiteral("Mail 2.sbd"));
        tree.file(QStringLiteral("Old"));
        const QString longest(55, QLatin1Char('L'));
        tree.file(longest);
        TopFolderSources tops(tree.root());
        const QString sources = QStringLiteral("/sources/");
        for (const QString &top : {QStringLiteral("Mail"), QStringLiteral("Old"), QStringLiteral("Old 2"), longest})
            tops.add(sources + top + QStringLiteral("/1.eml"), sources.size());
        const QHash<QString, QString> names = tops.choose();
        QCOMPARE(names.value(QStringLiteral("Mail")), QStringLiteral("Mail 3"));
        QCOMPARE(names.value(QStringLiteral("Old")), QStringLiteral("Old 2"));
        QCOMPARE(names.value(QStringLiteral("Old 2")), QStringLiteral("Old 2 2"));
        const QString longestFree = names.value(longest);
        QVERIFY(!longestFree.isEmpty() && longestFree != longest && longestFree.size() <= 55);
    }
};

QTEST_GUILESS_MAIN(ThunderbirdLayoutTest)
#include "tst_thunderbirdlayout.moc"
