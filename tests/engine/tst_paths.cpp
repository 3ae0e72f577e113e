#include "engine/support/CreatePath.h"
#include "engine/support/FileDescriptor.h"
#include "engine/support/PathParts.h"
#include "engine/support/Failure.h"
#include "TempTree.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>
#include <cerrno>
#include <unistd.h>

class PathsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void lastAndFolderPart_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QString>("folder");
        QTest::newRow("file in folder") << "/Mail/Inbox/0001.eml" << "0001.eml" << "/Mail/Inbox/";
        QTest::newRow("folder without separator") << "/Export/Mail/Inbox" << "Inbox" << "/Export/Mail/";
        QTest::newRow("folder with separator") << "/Export/Mail/Inbox/" << "" << "/Export/Mail/Inbox/";
        QTest::newRow("bare name") << "readme.txt" << "readme.txt" << "";
        QTest::newRow("file in root") << "/0001.eml" << "0001.eml" << "/";
        QTest::newRow("root") << "/" << "" << "/";
        QTest::newRow("two separators") << "/a//" << "" << "/a//";
        QTest::newRow("backslash is no separator") << "/a/b\\c" << "b\\c" << "/a/";
    }
    void lastAndFolderPart()
    {
        QFETCH(QString, path);
        QFETCH(QString, last);
        QFETCH(QString, folder);
        QCOMPARE(getLastPathPart(path), last);
        QCOMPARE(getFolderPart(path), folder);
    }

    void emptyPathHasNoParts()
    {
        for (auto part : {&getLastPathPart, &getFolderPart}) {
            try {
                part(QString());
                QFAIL("no error raised");
            } catch (const Failure &error) {
                QCOMPARE(error.kind(), FailureKind::NoSuchItem);
            }
        }
    }

    void createPathMakesTheWholeTree()
    {
        TempTree tree;
        const QString target = tree.path(QStringLiteral("Export/Mail/Inbox"));
        QCOMPARE(createPath(target), QString());
        QVERIFY(QFileInfo(target).isDir());
        QCOMPARE(createPath(target + QLatin1Char('/')), QString());  // exists already: still done
    }

    void createPathFailsWithoutRaising()
    {
        TempTree tree;
        const QString file = tree.file(QStringLiteral("Mail"), "not a folder");
        QVERIFY(!createPath(file + QStringLiteral("/Inbox")).isEmpty());
        QVERIFY(!createPath(file).isEmpty());
        QVERIFY(!createPath(QString()).isEmpty());
        QVERIFY(!createPath(QStringLiteral("/proc/no-such-folder/x")).isEmpty());
    }

    void createPathGivesTheSystemsReason_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<int>("error");
        QTest::newRow("a file in the way") << "Mail/Inbox" << ENOTDIR;
        QTest::newRow("the file itself, as mkdir -p says") << "Mail" << EEXIST;
        QTest::newRow("the file itself, with a separator") << "Mail/" << EEXIST;
        QTest::newRow("below a folder that refuses new folders") << "locked/Inbox" << EACCES;
        QTest::newRow("made") << "Export/Inbox" << 0;
    }
    void createPathGivesTheSystemsReason()
    {
        QFETCH(QString, relative);
        QFETCH(int, error);
        if (error == EACCES && ::geteuid() == 0)
            QSKIP("root may write anywhere");
        TempTree tree;
        tree.file(QStringLiteral("Mail"), "not a folder");
        QVERIFY(QFile::setPermissions(tree.folder(QStringLiteral("locked")), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        QCOMPARE(createPath(tree.path(relative)), error ? systemReason(error) : QString());
    }
};

QTEST_GUILESS_MAIN(PathsTest)
#include "tst_paths.moc"
