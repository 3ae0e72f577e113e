#include "ScriptedDialogs.h"
#include "TempTree.h"
#include "window/ConvertButtonState.h"
#include "window/widgets/FlexGrid.h"
#include "WindowFixture.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {
// A name with "://" is a URL as it stands; any other is a file in the tree.
QList<QUrl> urls(const TempTree &tree, const QStringList &names)
{
    QList<QUrl> urls;
    for (const QString &name : names)
        urls << (name.contains(QStringLiteral("://")) ? QUrl(name) : QUrl::fromLocalFile(tree.path(name)));
    return urls;
}

// A file manager's drag: enters over the grid, then drops there. Says whether the window took it.
bool dragAndDrop(MainWindow &window, const QList<QUrl> &urls)
{
    QMimeData data;
    data.setUrls(urls);
    QWidget *grid = window.messageGrid->viewport();
    const QPoint centre = grid->rect().center();
    QDragEnterEvent enter(centre, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid, &enter);
    QDropEvent drop(QPointF(centre), enter.dropAction(), &data, Qt::LeftButton, Qt::NoModifier);
    if (enter.isAccepted())
        QApplication::sendEvent(grid, &drop);
    return enter.isAccepted() && drop.isAccepted();
}
}

class DropTest : public WindowTest {
    Q_OBJECT
    TempTree tree;

private Q_SLOTS:
    void initTestCase()
    {
        for (const char *name : {"mail/In/1.eml", "mail/In/2.EML", "mail/notes.txt", "a.eml", "b.txt", "C.Eml", "d.pdf"})
            tree.file(QString::fromLatin1(name));
    }

    // The rows, count label and box the commands give; the last box names what was left out.
    void dropAppends_data()
    {
        QTest::addColumn<QStringList>("dropped");
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QStringList>("named");
        QTest::newRow("a folder, as Add Folder") << QStringList{"mail"} << QStringList{"mail/In/1.eml", "mail/In/2.EML"}
                                                 << "2 Files Added to List." << QStringList{};
        QTest::newRow("messages of any case and other files")
            << QStringList{"b.txt", "C.Eml", "mail/In/2.EML", "d.pdf"} << QStringList{"C.Eml", "mail/In/2.EML"}
            << "Not added: 2 files that are not .eml messages" << QStringList{"b.txt", "d.pdf"};
        QTest::newRow("a remote URL") << QStringList{"https://example.org/9.eml", "a.eml"} << QStringList{"a.eml"}
                                      << "Not added: 1 item that is not on this computer." << QStringList{};
        QTest::newRow("a %00 that would cut the name short") << QStringList{"file:///etc/passwd%00.eml"} << QStringList{}
                                                             << "Not added: 1 name that holds a NUL byte" << QStringList{};
    }
    void dropAppends()
    {
        QFETCH(QStringList, dropped);
        QFETCH(QStringList, listed);
        QFETCH(QString, box);
        QFETCH(QStringList, named);
        w->addMessagePath(QStringLiteral("/earlier.eml"));

        QVERIFY(dragAndDrop(*w, urls(tree, dropped)));

        QStringList expected{QStringLiteral("/earlier.eml")};
        for (const QString &name : listed)
            expected << tree.path(name);
        // The drop is taken after it returns: wait for its box, as a drop may list nothing.
        QTRY_VERIFY(!dialogs->boxes.isEmpty());
        QTRY_COMPARE(listedPaths(*w), expected);
        QTRY_VERIFY(!w->commandRunning());
        QCOMPARE(w->fileCountLabel->text(), QStringLiteral("%1 files").arg(expected.size()));
        const QString last = dialogs->boxes.value(dialogs->boxes.size() - 1).prompt;
        QVERIFY2(last.startsWith(box), qPrintable(last));
        for (const QString &name : named)
            QVERIFY2(last.contains(tree.path(name)), qPrintable(name));
    }

    void refusedWhileConverting_data()
    {
        QTest::addColumn<bool>("duringTheRun");
        QTest::newRow("idle: taken") << false;
        QTest::newRow("during a conversion: refused") << true;
    }
    void refusedWhileConverting()
    {
        QFETCH(bool, duringTheRun);
        TempTree destination;
        w->addMessagePath(tree.path("mail/In/1.eml"));
        w->addMessagePath(tree.path("mail/In/2.EML"));
        w->setConvertAvailable(true);
        yieldAtEveryPoint();
        std::optional<bool> taken;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, w, [&] {
            if (!taken && w->convertButtonState().runActive() == duringTheRun)
                taken = dragAndDrop(*w, urls(tree, {"a.eml"}));
        });
        poll.start(0);
        dialogs->folderAnswers << destination.root();
        w->convertButton->click();
        QTRY_VERIFY(taken.has_value());

        QCOMPARE(*taken, !duringTheRun);
        QStringList expected{tree.path("mail/In/1.eml"), tree.path("mail/In/2.EML")};
        if (!duringTheRun)
            expected << tree.path("a.eml");
        QTRY_COMPARE(listedPaths(*w), expected);
    }
};

QTEST_MAIN(DropTest)
#include "tst_drop.moc"
