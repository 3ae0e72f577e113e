#include "engine/walk/FileSystem.h"
#include "engine/walk/PosixFileSystem.h"
#include "ScriptedDialogs.h"
#include "TemporaryStateFolder.h"
#include "TempTree.h"
#include "window/MainWindow.h"
#include "WindowFixture.h"

#include "window/widgets/FlexGrid.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The real file system, but one folder cannot be listed, and a hook runs
// before each listing (as the user might act while the walk yields).
class HookedFileSystem final : public FileSystem {
public:
    QString locked;
    std::function<void(const QString &)> beforeListing;
    bool folderExists(const QString &path) override { return real_.folderExists(path); }
    bool listFolder(const QString &path, FolderListing &listing, QString &reason) override
    {
        if (beforeListing)
            beforeListing(path);
        if (path == locked) {
            reason = QStringLiteral("Permission denied");
            return false;
        }
        return real_.listFolder(path, listing, reason);
    }

private:
    PosixFileSystem real_;
};

QByteArray native(const QString &asciiPath)
{
    return asciiPath.toLatin1();
}

// What a file under `native` holds, read with POSIX calls on the raw bytes.
QByteArray readRaw(const QByteArray &native)
{
    QByteArray content;
    const int fd = ::open(native.constData(), O_RDONLY);
    char buffer[4096];
    for (ssize_t got; fd >= 0 && (got = ::read(fd, buffer, sizeof buffer)) > 0;)
        content.append(buffer, got);
    if (fd >= 0)
        ::close(fd);
    return content;
}

class UseFileSystem {
public:
    explicit UseFileSystem(std::shared_ptr<FileSystem> fs) { setFileSystemFactory([fs] { return fs; }); }
    ~UseFileSystem() { setFileSystemFactory({}); }
};

} // namespace

class AddFolderTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void messageFilesAppendedInWalkOrder_data()
    {
        QTest::addColumn<QString>("separator");
        QTest::newRow("picker gives no separator") << "";
        QTest::newRow("picker gives a separator") << "/";
    }
    void messageFilesAppendedInWalkOrder()
    {
        QFETCH(QString, separator);
        TempTree tree;
        for (const char *name : {"sub/d.Eml", "c.txt", "B.EML", "a.eml", "e.eml.bak", "fml"})
            tree.file(name);
        ScriptedDialogs dialogs;
        MainWindow window(dialogs);
        window.addMessagePath("/earlier.eml");
        dialogs.folderAnswers << tree.root() + separator;

        window.addFolderButton->click();

        QCOMPARE(dialogs.folderPrompts, QStringList({"Choose Source Folder..."}));
        QCOMPARE(listedPaths(window), QStringList({"/earlier.eml", tree.path("a.eml"), tree.path("B.EML"), tree.path("sub/d.Eml")}));
        QCOMPARE(window.messageGrid->model()->rowCount(), 4);
        QCOMPARE(window.fileCountLabel->text(), QString("4 files"));
        QCOMPARE(dialogs.boxes.size(), 1);
        QCOMPARE(dialogs.boxes[0].prompt, QString("3 Files Added to List."));
        QCOMPARE(dialogs.boxes[0].style, 0);
        QCOMPARE(dialogs.boxes[0].title, QString("Quorvel"));
        QVERIFY(window.convertButton->isEnabled());
        QVERIFY(!QApplication::overrideCursor());
    }

    void noMessagesDisablesConvertAndKeepsTheList()
    {
        TempTree tree;
        tree.file("notes.txt");
        ScriptedDialogs dialogs;
        MainWindow window(dialogs);
        window.addMessagePath("/earlier.eml");
        window.convertButton->setEnabled(true);
        dialogs.folderAnswers << tree.root();

        window.addFolderButton->click();

        QCOMPARE(listedPaths(window), QStringList({"/earlier.eml"}));
        QVERIFY(!window.convertButton->isEnabled());
        QCOMPARE(dialogs.boxes.value(0).prompt, QString("0 Files Added to List."));
    }

    void sameFolderTwiceListsEachFileTwice()
    {
        TempTree tree;
        tree.file("a.eml");
        ScriptedDialogs dialogs;
        MainWindow window(dialogs);
        dialogs.folderAnswers << tree.root() << tree.root();

        window.addFolderButton->click();
        window.addFolderButton->click();

        QCOMPARE(listedPaths(window), QStringList({tree.path("a.eml"), tree.path("a.eml")}));
        QCOMPARE(dialogs.boxes.value(1).prompt, QString("1 Files Added to List."));
    }

    void cancelChangesNothing()
    {
        ScriptedDialogs dialogs;
        MainWindow window(dialogs);
        window.addMessagePath("/earlier.eml");
        window.convertButton->setEnabled(true);

        window.addFolderButton->click();

        QCOMPARE(dialogs.folderPrompts.size(), 1);
        QVERIFY(dialogs.boxes.isEmpty());
        QCOMPARE(listedPaths(window), QStringList({"/earlier.eml"}));
        QVERIFY(window.convertButton->isEnabled());
        QVERIFY(!QApplication::overrideCursor());
    }

    void unreadableFolderReportedWhileTheRestIsAdded()
    {
        TempTree tree;
        tree.file("a.eml");
        tree.file("locked/hidden.eml");
        tree.file("open/b.eml");
        const QString locked = tree.path("locked/");
        auto fs = std::make_shared<HookedFileSystem>();
        fs->locked = locked;
        UseFileSystem use(fs);
        TemporaryStateFolder state;
        ScriptedDialogs dialogs;
        MainWindow window(dialogs);
        dialogs.folderAnswers << tree.root();

        window.addFolderButton->click();

        QCOMPARE(listedPaths(window), QStringList({tree.path("a.eml"), tree.path("open/b.eml")}));
        QCOMPARE(dialogs.boxes.size(), 1);
        QCOMPARE(dialogs.boxes[0].style, 48);
        const QString skippedLine = locked + " (Permission denied)";
        const QStringList lines = dialogs.boxes[0].prompt.split('\n');
        QCOMPARE(lines.first(), QString("2 Files Added to List."));
        QVERIFY2(lines.contains(skippedLine), qPrintable(dialogs.boxes[0].prompt));
        // The complete list: in the box's details, and in the report file the box names.
        QVERIFY2(dialogs.boxes[0].details.split('\n').contains(skippedLine), qPrintable(dialogs.boxes[0].details));
        QCOMPARE(state.reports().size(), 1);
        const QString report = state.reportFolder() + "/" + state.reports().first();
        QCOMPARE(QString::fromUtf8(TempTree::read(report)), dialogs.boxes[0].details);
        QVERIFY2(lines.last().endsWith(report), qPrintable(lines.last()));
        QVERIFY(window.convertButton->isEnabled());
    }

    void namesThatAreNotUtf8ConvertEndToEnd()
    {
        TempTree source, destination;
        const QByteArray folder = native(source.root()) + "/dir\xFE";
        QVERIFY(::mkdir(folder.constData(), 0755) == 0);
        const QByteArray message = "From: ann@example.org\r\nSubject: Latin-1 name\r\n\r\nbody\r\n";
        const int fd = ::open((folder + "/\xFF.eml").constData(), O_WRONLY | O_CREAT, 0644);
        QVERIFY(fd >= 0 && ::write(fd, message.constData(), message.size()) == message.size() && ::close(fd) == 0);
        ScriptedDialogs dialogs;
        MainWindow window(dialogs);
        dialogs.folderAnswers << source.root() << destination.root();

        window.addFolderButton->click();
        window.convertButton->click();

        QCOMPARE(dialogs.boxes.value(0).prompt, QString("1 Files Added to List."));
        const QByteArray mbox = native(destination.root()) + folder + "/dir\xFE.mbox";
        struct stat info {};
        QVERIFY2(::stat(mbox.constData(), &info) == 0, qPrintable(dialogs.boxes.value(1).prompt));
        QVERIFY(readRaw(mbox).contains("Subject: Latin-1 name"));
    }

    void secondClickDuringAWalkHasItsOwnWalker()
    {
        TempTree first, second;
        first.file("one.eml");
        second.file("two.eml");
        auto fs = std::make_shared<HookedFileSystem>();
        UseFileSystem use(fs);
        ScriptedDialogs dialogs;
        MainWindow window(dialogs);
        dialogs.folderAnswers << first.root() << second.root();
        fs->beforeListing = [&](const QString &) {
            fs->beforeListing = nullptr;
            window.addFolderButton->click();
        };

        window.addFolderButton->click();

        QCOMPARE(listedPaths(window), QStringList({second.path("two.eml"), first.path("one.eml")}));
        QCOMPARE(dialogs.boxes.size(), 2);
        QCOMPARE(dialogs.boxes[1].prompt, QString("1 Files Added to List."));
        QVERIFY(!QApplication::overrideCursor());
    }

    void closingDuringAWalkEndsTheCommandWithThePointerRestored()
    {
        TempTree tree;
        tree.file("a.eml");
        auto fs = std::make_shared<HookedFileSystem>();
        UseFileSystem use(fs);
        ScriptedDialogs dialogs;
        MainWindow window(dialogs);
        window.show();
        dialogs.folderAnswers << tree.root();
        fs->beforeListing = [&](const QString &) { window.close(); };

        window.addFolderButton->click();

        QVERIFY(dialogs.boxes.isEmpty());
        QVERIFY(!QApplication::overrideCursor());
    }
};

QTEST_MAIN(AddFolderTest)
#include "tst_addfolder.moc"
