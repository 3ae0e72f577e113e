#include "window/RunTimeError.h"
#include "window/dialogs/DesktopShell.h"
#include "window/widgets/FlexGrid.h"
#include "WindowFixture.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

namespace {
const QChar Nul(u'\0');
}

// The message list, and the commands that fill it, empty it and end the program.
class MessageListTest : public WindowTest {
    Q_OBJECT

private Q_SLOTS:
    void firstAddGoesIntoRowZeroAndDuplicatesCount()
    {
        QVERIFY(w->messageListIsEmpty());
        w->addMessagePath(QStringLiteral("/m/a.eml"));
        QCOMPARE(w->messageRowCount(), 1);
        QCOMPARE(w->messagePathAt(0), QStringLiteral("/m/a.eml"));
        QCOMPARE(w->fileCountLabel->text(), QStringLiteral("1 files"));
        QVERIFY(!w->messageListIsEmpty());
        w->addMessagePath(QStringLiteral("/m/a.eml"));
        QCOMPARE(listedPaths(*w), QStringList({"/m/a.eml", "/m/a.eml"}));
        QCOMPARE(w->fileCountLabel->text(), QStringLiteral("2 files"));
        QCOMPARE(w->messageGrid->row(), 1);  // the cursor ends on the new last row
    }

    void spacesAreKept()
    {
        w->addMessagePath(QStringLiteral("  /m/a b.eml "));
        QCOMPARE(w->messagePathAt(0), QStringLiteral("  /m/a b.eml "));
    }

    void resetKeepsTheColumnWidth()
    {
        w->addMessagePath(QStringLiteral("/m/a.eml"));
        w->addMessagePath(QStringLiteral("/m/b.eml"));
        w->resetMessageList();
        QCOMPARE(w->messageGrid->rows(), 1);
        QVERIFY(w->messageListIsEmpty());
        QCOMPARE(w->fileCountLabel->text(), QStringLiteral("0 files"));
        QCOMPARE(w->messageGrid->colWidth(0), 15000);
        w->addMessagePath(QStringLiteral("/m/c.eml"));
        QCOMPARE(listedPaths(*w), QStringList{"/m/c.eml"});
    }

    void addFiles_data()
    {
        QTest::addColumn<QString>("selection");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("one file") << "/mail/one.eml" << QStringList{"/mail/one.eml"};
        QTest::newRow("three files") << QString("/mail%1b.eml%1a.eml%1c.eml").arg(Nul)
                                     << QStringList{"/mail/b.eml", "/mail/a.eml", "/mail/c.eml"};
        QTest::newRow("folder ends in separator") << QString("/mail/%1a.eml%1b.eml").arg(Nul)
                                                  << QStringList{"/mail//a.eml", "/mail//b.eml"};
        QTest::newRow("already ends in NUL") << QString("/mail/one.eml%1").arg(Nul) << QStringList{"/mail/one.eml"};
        QTest::newRow("names with spaces") << QString("/my mail%1 a .eml").arg(Nul) << QStringList{"/my mail/ a .eml"};
    }
    void addFiles()
    {
        QFETCH(QString, selection);
        QFETCH(QStringList, rows);
        w->addMessagePath(QStringLiteral("/old/list.eml"));
        dialogs->openAnswers.enqueue({selection});
        w->addFilesButton->click();
        QCOMPARE(listedPaths(*w), rows);
        QCOMPARE(w->fileCountLabel->text(), QString::number(rows.size()) + QStringLiteral(" files"));
        QVERIFY(w->convertButton->isEnabled());
        QVERIFY(dialogs->boxes.isEmpty());
        QCOMPARE(dialogs->lastFilter, QStringLiteral("Mac Mail Messages (*.eml)|*.eml"));
        QCOMPARE(dialogs->lastFlags, 0x80200);
        QCOMPARE(dialogs->lastMaxFileSize, 1000);
    }

    void cancelEmptiesTheListAndLeavesTheButton_data()
    {
        QTest::addColumn<bool>("enabledBefore");
        QTest::newRow("enabled") << true;
        QTest::newRow("disabled") << false;
    }
    void cancelEmptiesTheListAndLeavesTheButton()
    {
        QFETCH(bool, enabledBefore);
        w->addMessagePath(QStringLiteral("/m/a.eml"));
        w->convertButton->setEnabled(enabledBefore);
        w->addFilesButton->click();  // no answer queued: cancelled
        QCOMPARE(dialogs->openDialogsShown, 1);
        QVERIFY(w->messageListIsEmpty());
        QCOMPARE(w->fileCountLabel->text(), QStringLiteral("0 files"));
        QCOMPARE(w->convertButton->isEnabled(), enabledBefore);
        QVERIFY(dialogs->boxes.isEmpty());
    }

    void secondPressReplaces()
    {
        dialogs->openAnswers.enqueue({QString("/a%1x.eml%1y.eml").arg(Nul)});
        dialogs->openAnswers.enqueue({QStringLiteral("/b/z.eml")});
        w->addFilesButton->click();
        w->addFilesButton->click();
        QCOMPARE(listedPaths(*w), QStringList{"/b/z.eml"});
    }

    void dialogFailures_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("text");
        QTest::newRow("names overflow the buffer") << 20476 << "Please select only 7 files at a time";
        QTest::newRow("any other failure") << 32755 << "32755:Scripted failure";
    }
    void dialogFailures()
    {
        QFETCH(int, number);
        QFETCH(QString, text);
        w->addMessagePath(QStringLiteral("/m/a.eml"));
        dialogs->openAnswers.enqueue({QString(), number, 7});
        w->addFilesButton->click();
        QCOMPARE(dialogs->boxes.size(), 1);
        QCOMPARE(dialogs->boxes[0].prompt, text);
        QCOMPARE(dialogs->boxes[0].style, 48);
        QCOMPARE(dialogs->boxes[0].title, QStringLiteral("Quorvel"));
        QVERIFY(w->messageListIsEmpty());
        QVERIFY(!w->convertButton->isEnabled());
    }

    void openDialogPacksTheSelection()
    {
        OpenDialog dialog(*dialogs);
        dialog.MaxFileSize = 1000;
        dialog.storeSelection({QStringLiteral("/m/a.eml")});
        QCOMPARE(dialog.FileName, QStringLiteral("/m/a.eml"));
        dialog.storeSelection({QStringLiteral("/m/a.eml"), QStringLiteral("/m/b.eml")});
        QCOMPARE(dialog.FileName, QString("/m%1a.eml%1b.eml").arg(Nul));
        dialog.storeSelection({});
        QVERIFY(dialog.FileName.isEmpty());

        QStringList many;
        for (int i = 0; i < 200; ++i)
            many << QStringLiteral("/m/message-%1.eml").arg(i, 3, 10, QLatin1Char('0'));
        try {
            dialog.storeSelection(many);
            QFAIL("no overflow raised");
        } catch (const RunTimeError &error) {
            QCOMPARE(error.number(), 20476);
        }
        QVERIFY(dialog.FileName.isEmpty());
        // "/m" then 16 characters a name: 62 names fit below 1000 with the final NUL.
        QCOMPARE(dialog.FilesThatFit, 62);
    }

    void clearOnEmptyListShowsNothing()
    {
        w->clearListButton->click();
        QVERIFY(dialogs->boxes.isEmpty());
    }

    void clearAnswers_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("emptied");
        QTest::newRow("No keeps") << 7 << false;
        QTest::newRow("Yes empties") << 6 << true;
    }
    void clearAnswers()
    {
        QFETCH(int, answer);
        QFETCH(bool, emptied);
        w->addMessagePath(QStringLiteral("/m/a.eml"));
        w->addMessagePath(QStringLiteral("/m/b.eml"));
        w->convertButton->setEnabled(true);
        dialogs->msgBoxAnswers.enqueue(answer);
        w->clearListButton->click();
        QCOMPARE(dialogs->boxes.size(), 1);
        QCOMPARE(dialogs->boxes[0].prompt, QStringLiteral("Do you want to clear all the files in the list\r\n Proceed?"));
        QCOMPARE(dialogs->boxes[0].style, 36);
        QCOMPARE(dialogs->boxes[0].title, QStringLiteral("Quorvel"));
        QCOMPARE(w->messageListIsEmpty(), emptied);
        QCOMPARE(w->fileCountLabel->text(), emptied ? QStringLiteral("0 files") : QStringLiteral("2 files"));
        QVERIFY(w->convertButton->isEnabled());
    }

    // The manual that ships with the program, as the browser is handed it.
    void helpOpensTheManual()
    {
        w->helpButton->click();
        QVERIFY(dialogs->boxes.isEmpty());
        QCOMPARE(dialogs->openedUrls.size(), 1);
        const QUrl target = QUrl::fromUserInput(dialogs->openedUrls[0]);
        QVERIFY2(target.isLocalFile() && QFileInfo(target.toLocalFile()).isFile(), qPrintable(dialogs->openedUrls[0]));
        QVERIFY(target.toLocalFile().endsWith(QStringLiteral("/manual.html")));
    }

    void shellOpenCallsOnlyForNonEmptyText()
    {
        shellOpen(*dialogs, QString());
        QVERIFY(dialogs->openedUrls.isEmpty());
        shellOpen(*dialogs, QStringLiteral(" "));
        QCOMPARE(dialogs->openedUrls, QStringList{" "});
    }

    void exitNoKeepsEverything()
    {
        w->addMessagePath(QStringLiteral("/m/a.eml"));
        dialogs->msgBoxAnswers.enqueue(MsgBoxResult::No);
        w->exitButton->click();
        QCOMPARE(dialogs->boxes.size(), 1);
        QCOMPARE(dialogs->boxes[0].prompt, QStringLiteral("Are you sure you want to exit now?"));
        QCOMPARE(dialogs->boxes[0].style, 36);
        QCOMPARE(dialogs->boxes[0].title, QStringLiteral("Quorvel"));
        QVERIFY(w->isVisible());
        QCOMPARE(listedPaths(*w), QStringList{"/m/a.eml"});
        QCOMPARE(w->messageNumberLabel->text(), QStringLiteral("Message 0 (of 0)"));
    }

    void exitYesCloses()
    {
        dialogs->msgBoxAnswers.enqueue(MsgBoxResult::Yes);
        w->exitButton->click();
        QVERIFY(!w->isVisible());
        QVERIFY(w->closing());
    }

    void windowManagerCloseAsksNothing()
    {
        w->addMessagePath(QStringLiteral("/m/a.eml"));
        QVERIFY(w->close());
        QVERIFY(!w->isVisible());
        QVERIFY(dialogs->boxes.isEmpty());
    }

    void closingWhileAddingStopsTheCommand()
    {
        QString selection = QStringLiteral("/mail");
        const int picked = 1000;
        for (int i = 0; i < picked; ++i)
            selection += Nul + QStringLiteral("m%1.eml").arg(i);
        dialogs->openAnswers.enqueue({selection});
        yieldAtEveryPoint();
        QTimer::singleShot(0, w, [this] { w->close(); });
        w->addFilesButton->click();
        QVERIFY(!w->isVisible());
        QVERIFY(w->messageRowCount() < picked);
        QVERIFY(dialogs->boxes.isEmpty());
    }

    void closingWhileBusyEndsTheEventLoop()
    {
        // As main() runs it: the event loop ends when the window closes, even
        // though the close came from inside a command that was still yielding.
        QString selection = QStringLiteral("/mail");
        for (int i = 0; i < 1000; ++i)
            selection += Nul + QStringLiteral("m%1.eml").arg(i);
        dialogs->openAnswers.enqueue({selection});
        yieldAtEveryPoint();
        bool commandReturned = false;
        QTimer::singleShot(0, w, [&] {
            QTimer::singleShot(0, w, [this] { w->close(); });
            w->addFilesButton->click();
            commandReturned = true;
        });
        QTimer watchdog;  // guards against a hang only
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, qApp, [] { QCoreApplication::exit(99); });
        watchdog.start(60000);
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(commandReturned);
        QVERIFY(w->messageRowCount() < 1000);
    }

    void uncaughtFailureIsShownAndTheProgramGoesOn()
    {
        w->addMessagePath(QStringLiteral("/m/a.eml"));
        dialogs->onMsgBox = [](const ScriptedDialogs::Box &box) {
            if (box.style == MsgBoxStyle::YesNoQuestion)
                throw RunTimeError(5, QStringLiteral("Invalid procedure call or argument"));
        };
        w->clearListButton->click();
        QCOMPARE(dialogs->boxes.size(), 2);
        QCOMPARE(dialogs->boxes[1].prompt, QStringLiteral("5:Invalid procedure call or argument"));
        QCOMPARE(dialogs->boxes[1].style, 48);
        QVERIFY(w->isVisible());
        QCOMPARE(listedPaths(*w), QStringList{"/m/a.eml"});
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }
};

QTEST_MAIN(MessageListTest)
#include "tst_messagelist.moc"
