#include "engine/support/Failure.h"
#include "engine/support/Yielder.h"
#include "engine/walk/CheckedCount.h"
#include "engine/walk/FileSystem.h"
#include "engine/walk/FolderWalker.h"
#include "engine/walk/NameOrder.h"
#include "engine/walk/PosixFileSystem.h"
#include "TempTree.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <functional>
#include <map>
#include <optional>

namespace {

class CallbackYielder final : public Yielder {
public:
    std::function<void()> onYield;
    void yield() override { if (onYield) onYield(); }
    void yieldNow() override { yield(); }
};

// Listings given in the test, for trees that cannot be made on disk.
class FakeFileSystem final : public FileSystem {
public:
    std::map<QString, FolderListing> folders;
    bool folderExists(const QString &path) override { return folders.count(path) || folders.count(path + '/'); }
    bool listFolder(const QString &path, FolderListing &listing, QString &) override
    {
        listing = folders.at(path);
        return true;
    }
};

class FactoryOverride {
public:
    explicit FactoryOverride(std::shared_ptr<FileSystem> fs) { setFileSystemFactory([fs] { return fs; }); }
    ~FactoryOverride() { setFileSystemFactory({}); }
};

template <typename T>
QList<T> entries(const std::shared_ptr<Collection<T>> &collection)
{
    return QList<T>(collection->begin(), collection->end());
}

QStringList keys(const std::shared_ptr<Collection<QString>> &collection, const QStringList &candidates)
{
    QStringList held;
    for (const QString &key : candidates)
        if (collection->hasKey(key))
            held << key;
    return held;
}

std::optional<FailureKind> errorOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const Failure &error) {
        return error.kind();
    }
    return std::nullopt;
}

// R: a, b, S1 (c, T empty), S2 (d) - created in an order unlike the walk's.
QString makeWorkedExample(TempTree &tree)
{
    tree.file("R/S2/d");
    tree.folder("R/S1/T");
    tree.file("R/b");
    tree.file("R/S1/c");
    tree.file("R/a");
    return tree.path("R");
}

NoYield noYield;

std::unique_ptr<FolderWalker> walk(const QString &start, bool fullFileNamesOnly = true)
{
    auto walker = std::make_unique<FolderWalker>(noYield);
    walker->pathLogInit();
    walker->setFullFileNamesOnly(fullFileNamesOnly);
    walker->logPath(start);
    return walker;
}

} // namespace

class FolderWalkerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void workedExample()
    {
        TempTree tree;
        const QString r = makeWorkedExample(tree);
        const auto walker = walk(r, false);

        QCOMPARE(entries(walker->pathNames()), QStringList({r + "/", r + "/S1/", r + "/S2/", r + "/S1/T/"}));
        QCOMPARE(keys(walker->pathNames(), {"K0", "K1", "K2", "K3", "K4", "K5"}), QStringList({"K0", "K2", "K3", "K4"}));
        QCOMPARE(entries(walker->fullFileNames()), QStringList({r + "/a", r + "/b", r + "/S1/c", r + "/S2/d"}));
        QCOMPARE(keys(walker->fullFileNames(), {"K0", "K1", "K4", "K5"}), QStringList({"K1", "K4"}));
        QCOMPARE(entries(walker->fileNames()), QStringList({"a", "b", "c", "d"}));
        QCOMPARE(entries(walker->pathPointers()), QList<qint32>({1, 1, 2, 3}));
        QCOMPARE(walker->count(), 5);
    }

    void startFolderWithOrWithoutSeparator_data()
    {
        QTest::addColumn<QString>("suffix");
        QTest::newRow("without") << "";
        QTest::newRow("with") << "/";
    }
    void startFolderWithOrWithoutSeparator()
    {
        QFETCH(QString, suffix);
        TempTree tree;
        const QString r = makeWorkedExample(tree);
        auto walker = walk(r + suffix);
        QCOMPARE(entries(walker->pathNames()), QStringList({r + "/", r + "/S1/", r + "/S2/", r + "/S1/T/"}));
        QCOMPARE(walker->fullFileNames()->item(1), r + "/a");
        QCOMPARE(walker->fileNames()->count(), 0);
        QCOMPARE(walker->pathPointers()->count(), 0);
    }

    void subfolderFilesComeAfterTheStartFoldersFiles()
    {
        TempTree tree;
        tree.file("a/a.eml");
        tree.file("z.eml");
        QCOMPARE(entries(walk(tree.root())->fullFileNames()), QStringList({tree.path("z.eml"), tree.path("a/a.eml")}));
    }

    void rootAsStartFolder()
    {
        auto fake = std::make_shared<FakeFileSystem>();
        fake->folders["/"] = {{"home"}, {"x.eml"}};
        fake->folders["/home/"] = {{}, {"y.eml"}};
        FactoryOverride use(fake);
        const auto walker = walk("/");
        QCOMPARE(entries(walker->pathNames()), QStringList({"/", "/home/"}));
        QCOMPARE(entries(walker->fullFileNames()), QStringList({"/x.eml", "/home/y.eml"}));
    }

    void startFolderWithoutFiles_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<int>("folders");
        QTest::addColumn<int>("count");
        QTest::newRow("empty folder") << "empty" << 1 << 1;
        QTest::newRow("missing") << "missing" << 0 << 0;
        QTest::newRow("a file") << "file.eml" << 0 << 0;
        QTest::newRow("empty text") << "" << 0 << 0;
    }
    void startFolderWithoutFiles()
    {
        QFETCH(QString, relative);
        QFETCH(int, folders);
        QFETCH(int, count);
        TempTree tree;
        tree.folder("empty");
        tree.file("file.eml");
        auto walker = walk(relative.isEmpty() ? QString() : tree.path(relative));
        QCOMPARE(walker->pathNames()->count(), folders);
        QCOMPARE(walker->fullFileNames()->count(), 0);
        QCOMPARE(walker->count(), count);
    }

    void nameOrder_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::newRow("numbers by value") << "2.eml" << "10.eml";
        QTest::newRow("case ignored") << "apple" << "Banana";
        QTest::newRow("number inside") << "msg9x" << "MSG10a";
        QTest::newRow("prefix first") << "abc" << "abcd";
        QTest::newRow("leading zeros tie") << "01" << "1";
        QTest::newRow("case tie") << "A" << "a";
        QTest::newRow("beyond 64 bits") << "99999999999999999999999" << "100000000000000000000000";
        QTest::newRow("non-ASCII folded") << "éa" << "Éb";
    }
    void nameOrder()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QCOMPARE(nameOrderOf({a, b}), std::vector<size_t>({0, 1}));
        QCOMPARE(nameOrderOf({b, a}), std::vector<size_t>({1, 0}));
        QCOMPARE(nameOrderOf({b, a, b}), std::vector<size_t>({1, 0, 2}));
    }

    void secondLogPathWithoutInitFailsOnK0()
    {
        TempTree tree;
        const QString r = makeWorkedExample(tree);
        const auto walker = walk(r);
        QVERIFY(errorOf([&] { walker->logPath(r); }) == FailureKind::DuplicateKey);
        QCOMPARE(walker->pathNames()->count(), 4);
        QCOMPARE(walker->fullFileNames()->count(), 4);
    }

    void walkNeedsPathLogInit()
    {
        TempTree tree;
        NoYield yield;
        FolderWalker walker(yield);
        QVERIFY(errorOf([&] { walker.logPath(tree.root()); }) == FailureKind::NoFileSystem);
        walker.pathLogInit();
        walker.terminate();
        QVERIFY(errorOf([&] { walker.logPath(tree.root()); }) == FailureKind::NoFileSystem);
    }

    void collectionsOutliveTheWalker()
    {
        TempTree tree;
        const QString r = makeWorkedExample(tree);
        NoYield yield;
        std::shared_ptr<Collection<QString>> takenBefore, takenAfter;
        {
            FolderWalker walker(yield);
            walker.pathLogInit();
            takenBefore = walker.fullFileNames();
            walker.logPath(r);
            takenAfter = walker.fullFileNames();
            walker.terminate();
            QCOMPARE(walker.fullFileNames()->count(), 0);
        }
        QCOMPARE(takenBefore, takenAfter);
        QCOMPARE(takenAfter->count(), 4);
    }

    void duplicateKeyAppendsNothing()
    {
        Collection<int> numbers;
        numbers.add(10, "K1");
        numbers.add(20);
        QVERIFY(errorOf([&] { numbers.add(30, "K1"); }) == FailureKind::DuplicateKey);
        QCOMPARE(numbers.count(), 2);
        QCOMPARE(numbers.item(2), 20);
        QVERIFY(errorOf([&] { numbers.item(0); }) == FailureKind::NoSuchItem);
        QVERIFY(errorOf([&] { numbers.item(3); }) == FailureKind::NoSuchItem);
    }

    void keysHeldOnce_data()
    {
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<int>("refused");  // index of the first key refused, -1 for none
        QTest::newRow("numbered in a run") << QStringList{"K1", "K2", "K3", "K2"} << 3;
        QTest::newRow("leading zero is another key") << QStringList{"K1", "K01", "K1", "K01"} << 2;
        QTest::newRow("other letter") << QStringList{"K1", "J1", "k1", "J1"} << 3;
        QTest::newRow("beyond 32 bits is text") << QStringList{"K2147483647", "K2147483648", "K2147483648"} << 2;
        QStringList scattered;  // more separate numbers than the collection keeps as runs
        for (int n = 1; n <= 40; n += 3)
            scattered << "K" + QString::number(n);
        scattered << "K2" << "K37";
        QTest::newRow("scattered numbers") << scattered << int(scattered.size()) - 1;
    }
    void keysHeldOnce()
    {
        QFETCH(QStringList, keys);
        QFETCH(int, refused);
        Collection<int> numbers;
        for (int k = 0; k < keys.size(); ++k) {
            const bool expectRefusal = k == refused;
            QCOMPARE(numbers.hasKey(keys[k]), expectRefusal);
            const std::optional<FailureKind> error = errorOf([&] {
                if (k % 2)
                    numbers.add(k, keys[k]);
                else if (const auto numbered = NumberedKey::from(keys[k]))
                    numbers.add(k, *numbered);
                else
                    numbers.add(k, keys[k]);
            });
            QCOMPARE(error.has_value(), expectRefusal);
            QVERIFY(!error || *error == FailureKind::DuplicateKey);
            if (expectRefusal)
                return;
        }
        QCOMPARE(refused, -1);
    }

    void counterOverflowRaises()
    {
        QCOMPARE(checkedIncrement(2147483646), 2147483647);
        QVERIFY(errorOf([] { checkedIncrement(2147483647); }) == FailureKind::Overflow);
    }

    void symbolicLinks_data()
    {
        QTest::addColumn<QStringList>("links");  // "link -> target", both below the tree
        QTest::addColumn<QStringList>("files");
        const QString a = "top/a.eml", b = "top/sub/b.eml";
        QTest::newRow("loop to an ancestor") << QStringList{"top/sub/loop -> top"} << QStringList{a, b};
        QTest::newRow("folder outside the tree")
            << QStringList{"top/Archive -> elsewhere"}
            << QStringList{a, "top/Archive/x.eml", b, "top/Archive/deep/y.eml"};
        QTest::newRow("loop inside a linked folder")
            << QStringList{"top/Archive -> elsewhere", "elsewhere/deep/up -> elsewhere"}
            << QStringList{a, "top/Archive/x.eml", b, "top/Archive/deep/y.eml"};
        QTest::newRow("two links to one folder")
            << QStringList{"top/one -> elsewhere", "top/two -> elsewhere"}
            << QStringList{a, "top/one/x.eml", b, "top/one/deep/y.eml"};
        QTest::newRow("first way reached wins") << QStringList{"top/alias -> top/sub"} << QStringList{a, "top/alias/b.eml"};
        QTest::newRow("link to a file") << QStringList{"top/sub/link.eml -> top/a.eml"} << QStringList{a, b, "top/sub/link.eml"};
        QTest::newRow("dangling link") << QStringList{"top/gone.eml -> missing"} << QStringList{a, "top/gone.eml", b};
    }
    void symbolicLinks()
    {
        QFETCH(QStringList, links);
        QFETCH(QStringList, files);
        TempTree tree;
        for (const char *name : {"top/a.eml", "top/sub/b.eml", "elsewhere/x.eml", "elsewhere/deep/y.eml"})
            tree.file(name);
        for (const QString &link : links)
            QVERIFY(QFile::link(tree.path(link.section(" -> ", 1)), tree.path(link.section(" -> ", 0, 0))));
        QStringList expected;
        for (const QString &file : files)
            expected << tree.path(file);
        QCOMPARE(entries(walk(tree.path("top"))->fullFileNames()), expected);
    }

    void folderGoneAfterQueueingIsSkipped()
    {
        TempTree tree;
        tree.file("R/a.eml");
        tree.file("R/gone/lost.eml");
        tree.file("R/kept/b.eml");
        CallbackYielder yield;
        FolderWalker walker(yield);
        yield.onYield = [&] {
            if (walker.pathNames()->hasKey("K2"))
                QDir(tree.path("R/gone")).removeRecursively();
        };
        walker.pathLogInit();
        walker.logPath(tree.path("R"));
        QCOMPARE(entries(walker.fullFileNames()), QStringList({tree.path("R/a.eml"), tree.path("R/kept/b.eml")}));
        QCOMPARE(walker.skippedFolders()->count(), 1);
        QCOMPARE(walker.skippedFolders()->item(1).path, tree.path("R/gone/"));
        QCOMPARE(walker.skippedFolders()->item(1).reason, QString::fromLocal8Bit(strerror(ENOENT)));
    }
};

QTEST_GUILESS_MAIN(FolderWalkerTest)
#include "tst_folderwalker.moc"
