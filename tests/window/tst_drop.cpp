#include "app/ConvertButtonState.h"
#include "app/frmStep1.h"
#include "ScriptedDialogs.h"
#include "TempTree.h"
#include "WindowFixture.h"
#include "list/FlexGrid.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {
void FillTree(TempTree &tree)
{
    for (const char *name : {"mail/Inbox/1.eml", "mail/Inbox/2.EML", "mail/Sent/3.eml", "mail/notes.txt",
                             "loose/a.eml", "loose/b.txt", "loose/C.Eml", "loose/d.pdf"})
        tree.file(QString::fromLatin1(name), "From: ann@example.org\r\n\r\nbody\r\n");
}

// A name with "://" is a URL as it stands; any other is a file in the tree.
QList<QUrl> Urls(const TempTree &tree, const QStringList &names)
{
    QList<QUrl> urls;
    for (const QString &name : names)
        urls << (name.contains(QStringLiteral("://")) ? QUrl(name) : QUrl::fromLocalFile(tree.path(name)));
    return urls;
}

// What a file manager's drag does to the list: enters over the grid, then
// drops there. Says whether the window took the drag.
bool DragAndDrop(frmStep1 &window, const QList<QUrl> &urls)
{
    QMimeData data;
    data.setUrls(urls);
    QWidget *target = window.grdFiles1->viewport();
    const QPoint centre = target->rect().center();
    QDragEnterEvent enter(centre, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(centre), enter.dropAction(), &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}
}

class DropTest : public WindowTest {
    Q_OBJECT
private Q_SLOTS:
    void dropAppends_data()
    {
        QTest::addColumn<QStringList>("dropped");
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<QStringList>("notAdded");
        QTest::addColumn<QString>("heading");
        QTest::newRow("a folder") << QStringList{"mail/Sent"} << QStringList{"mail/Sent/3.eml"} << QStringList{}
                                  << QString();
        QTest::newRow("messages of any case and other files")
            << QStringList{"loose/b.txt", "loose/C.Eml", "mail/Inbox/2.EML", "loose/d.pdf"}
            << QStringList{"loose/C.Eml", "mail/Inbox/2.EML"} << QStringList{"loose/b.txt", "loose/d.pdf"}
            << QStringLiteral("Not added: 2 files that are not .eml messages");
        QTest::newRow("a remote URL") << QStringList{"https://example.org/mail/9.eml", "loose/a.eml"}
                                      << QStringList{"loose/a.eml"} << QStringList{}
                                      << QStringLiteral("Not added: 1 item that is not on this computer.");
    }
    void dropAppends()
    {
        QFETCH(QStringList, dropped);
        QFETCH(QStringList, listed);
        QFETCH(QStringList, notAdded);
        QFETCH(QString, heading);
        TempTree tree;
        FillTree(tree);
        w->AddMessagePath(QStringLiteral("/earlier.eml"));

        QVERIFY(DragAndDrop(*w, Urls(tree, dropped)));

        QStringList expected{QStringLiteral("/earlier.eml")};
        for (const QString &name : listed)
            expected << tree.path(name);
        QTRY_COMPARE(ListedPaths(*w), expected);
        QTRY_VERIFY(!w->CommandRunning());
        QCOMPARE(w->lblCount1->text(), QString::number(expected.size()) + QStringLiteral(" files"));
        const ScriptedDialogs::Box last = dialogs->boxes.value(dialogs->boxes.size() - 1);
        if (heading.isEmpty()) {
            QVERIFY2(!last.prompt.startsWith(QStringLiteral("Not added")), qPrintable(last.prompt));
            return;
        }
        QVERIFY2(last.prompt.startsWith(heading), qPrintable(last.prompt));
        for (const QString &name : notAdded)
            QVERIFY2(last.prompt.contains(tree.path(name)), qPrintable(name));
        for (const QString &name : listed)
            QVERIFY2(!last.prompt.contains(tree.path(name)), qPrintable(name));
    }

    // Dropped or picked, a folder gives the same rows, count label and box.
    void folderAsTheAddFolderCommand()
    {
        TempTree tree;
        FillTree(tree);
        WindowFixture byCommand;
        frmStep1 &reference = byCommand.open();
        reference.AddMessagePath(QStringLiteral("/earlier.eml"));
        byCommand.dialogs.folderAnswers << tree.path("mail");
        reference.CmdAddFolder->click();
        w->AddMessagePath(QStringLiteral("/earlier.eml"));

        QVERIFY(DragAndDrop(*w, Urls(tree, {"mail"})));

        QTRY_COMPARE(dialogs->boxes.size(), byCommand.dialogs.boxes.size());
        QCOMPARE(ListedPaths(*w), ListedPaths(reference));
        QCOMPARE(w->lblCount1->text(), reference.lblCount1->text());
        QCOMPARE(dialogs->boxes.value(0).prompt, byCommand.dialogs.boxes.value(0).prompt);
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
        TempTree tree;
        FillTree(tree);
        TempTree destination;
        w->AddMessagePath(tree.path("mail/Inbox/1.eml"));
        w->AddMessagePath(tree.path("mail/Inbox/2.EML"));
        w->SetConvertAvailable(true);
        YieldAtEveryPoint();
        bool taken = false;
        bool tried = false;
        const auto dropNow = [&] {
            tried = true;
            taken = DragAndDrop(*w, Urls(tree, {"loose/a.eml"}));
        };
        if (duringTheRun) {
            QTimer poll;
            QObject::connect(&poll, &QTimer::timeout, w, [&] {
                if (!tried && w->convertButton().RunActive())
                    dropNow();
            });
            poll.start(0);
            dialogs->folderAnswers << destination.root();
            w->CmdConvert2MBOX->click();
        } else {
            dropNow();
        }

        QVERIFY(tried);
        QCOMPARE(taken, !duringTheRun);
        QStringList expected{tree.path("mail/Inbox/1.eml"), tree.path("mail/Inbox/2.EML")};
        if (!duringTheRun)
            expected << tree.path("loose/a.eml");
        QTRY_COMPARE(ListedPaths(*w), expected);
        QTRY_VERIFY(!w->CommandRunning());
    }
};

QTEST_MAIN(DropTest)
#include "tst_drop.moc"
