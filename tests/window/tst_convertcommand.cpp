#include "SmallDisk.h"
#include "TempTree.h"
#include "window/widgets/ProgressBar.h"
#include "WindowFixture.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QTimer>
#include <sys/stat.h>

namespace {
QByteArray message(int number, int bodyLines = 1)
{
    QByteArray text = "From: sender" + QByteArray::number(number) + "@example.org\r\nDate: Tue, 5 Mar 2024 14:07:09 +0000\r\n"
                      "Subject: " + QByteArray::number(number) + "\r\n\r\n";
    for (int i = 0; i < bodyLines; ++i)
        text += "line " + QByteArray::number(i) + " of message " + QByteArray::number(number) + "\r\n";
    return text;
}

int recordCount(const QByteArray &mbox)
{
    return int(mbox.count("\r\nFrom sender") + (mbox.startsWith("From sender") ? 1 : 0));
}

// Every distinct (label, bar) pair the window showed while a run went on.
class ProgressWatcher : public QObject {
public:
    explicit ProgressWatcher(MainWindow &window) : window_(window)
    {
        timer_.setInterval(0);
        connect(&timer_, &QTimer::timeout, this, [this] {
            const QPair<QString, double> now{window_.messageNumberLabel->text(), window_.runProgress->value()};
            if (seen.isEmpty() || seen.last() != now)
                seen.append(now);
            buttonDisabledMeanwhile = buttonDisabledMeanwhile || !window_.convertButton->isEnabled();
        });
        timer_.start();
    }
    QList<QPair<QString, double>> seen;
    bool buttonDisabledMeanwhile = false;

private:
    MainWindow &window_;
    QTimer timer_;
};
}

// The convert command through the window, with scripted dialogs.
class ConvertCommandTest : public WindowTest {
    Q_OBJECT

    void convertTo(const QString &destination)
    {
        dialogs->folderAnswers.enqueue(destination);
        w->convertButton->setEnabled(true);
        w->convertButton->click();
    }

private Q_SLOTS:
    void cancelledDestinationChangesNothing()
    {
        w->addMessagePath(QStringLiteral("/nowhere/a.eml"));
        w->convertButton->setEnabled(true);
        w->convertButton->click();
        QCOMPARE(dialogs->folderPrompts, QStringList{QStringLiteral("Choose Folder to Save...")});
        QVERIFY(dialogs->boxes.isEmpty());
        QCOMPARE(w->messageNumberLabel->text(), QStringLiteral("Message 0 (of 0)"));
        QVERIFY(w->convertButton->isEnabled());
    }

    void twoFoldersTwiceGiveTwoMboxesWithEveryMessageTwice()
    {
        TempTree source;
        TempTree destination;
        const QStringList paths = {source.file("Inbox/1.eml", message(1)), source.file("Sent/2.eml", message(2)),
                                   source.file("Inbox/3.eml", message(3))};
        for (const QString &path : paths)
            w->addMessagePath(path);
        convertTo(destination.root());
        convertTo(destination.root() + QLatin1Char('/'));

        const QString mirror = destination.root() + source.root();
        const QByteArray inbox = TempTree::read(mirror + QStringLiteral("/Inbox/Inbox.mbox"));
        const QByteArray sent = TempTree::read(mirror + QStringLiteral("/Sent/Sent.mbox"));
        QCOMPARE(recordCount(inbox), 4);
        QCOMPARE(recordCount(sent), 2);
        const QByteArray first = "From sender1@example.org Tue Mar 05 14:07:09 2024\r\n" + message(1) + "\r\n";
        const QByteArray third = "From sender3@example.org Tue Mar 05 14:07:09 2024\r\n" + message(3) + "\r\n";
        QCOMPARE(inbox, first + third + first + third);

        QCOMPARE(dialogs->boxes.size(), 2);
        QCOMPARE(dialogs->boxes[0].prompt,
                 QStringLiteral("Export Completed Successfully !\r\nYour data has been successfully exported to .mbox "
                                "format (Compatible for Mac Mail, Entourage, Thunderbird, Evolution etc).\r\n"));
        QCOMPARE(dialogs->boxes[0].style, 64);
        QCOMPARE(dialogs->boxes[0].title, QStringLiteral("Quorvel"));
        QCOMPARE(w->messageNumberLabel->text(), QStringLiteral("Message 3 (of 3)"));
        QCOMPARE(w->runProgress->value(), 100.0);
        QVERIFY(w->convertButton->isEnabled());
        const int size = int(message(3).size());
        QCOMPARE(w->bytesReadLabel->text(), QStringLiteral("%1 Bytes out of %1 Total Bytes.").arg(size));
        QCOMPARE(w->messageProgress->value(), 100.0);
    }

    void progressAfterTheFirstOfThree()
    {
        TempTree source;
        TempTree destination;
        w->addMessagePath(source.file("a/1.eml", message(1)));
        w->addMessagePath(source.file("a/2.eml", message(2)));
        w->addMessagePath(source.file("a/3.eml", message(3)));
        yieldAtEveryPoint();
        ProgressWatcher watcher(*w);
        convertTo(destination.root());
        QVERIFY(watcher.buttonDisabledMeanwhile);
        bool sawFirst = false;
        for (const auto &[label, value] : watcher.seen)
            if (label == QLatin1String("Message 1 (of 3)")) {
                sawFirst = true;
                QCOMPARE(value, 100.0 / 3.0);
            }
        QVERIFY(sawFirst);
        QCOMPARE(w->messageNumberLabel->text(), QStringLiteral("Message 3 (of 3)"));
    }

    void sourceInTheRootAndTrimmedSpacesAndZeroBytes()
    {
        TempTree source;
        TempTree destination;
        w->addMessagePath(QStringLiteral("  ") + source.file("box/full.eml", message(1)) + QStringLiteral(" "));
        const QString empty = source.file("box/empty.eml");
        w->addMessagePath(empty);
        convertTo(destination.root());
        const QByteArray mbox = TempTree::read(destination.root() + source.root() + QStringLiteral("/box/box.mbox"));
        // The zero-byte message: no sender, no date but the file's own, and an empty body.
        const QString modified = QLocale::c().toString(QFileInfo(empty).lastModified().toUTC(),
                                                       QStringLiteral("ddd MMM dd hh:mm:ss yyyy"));
        QCOMPARE(mbox, "From sender1@example.org Tue Mar 05 14:07:09 2024\r\n" + message(1) + "\r\n"
                           + "From MAILER-DAEMON " + modified.toLatin1() + "\r\n\r\n");
        QCOMPARE(w->bytesReadLabel->text(), QStringLiteral("%1 Bytes out of %1 Total Bytes.").arg(message(1).size()));
        QCOMPARE(w->messageNumberLabel->text(), QStringLiteral("Message 2 (of 2)"));
        QCOMPARE(dialogs->boxes.last().style, 64);
    }

    void failingEntriesAreListedInAWarning()
    {
        TempTree source;
        TempTree destination;
        const QString fifo = source.path(QStringLiteral("x.eml"));
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const QString good = source.file("ok/1.eml", message(1));
        const QString gone = source.path(QStringLiteral("gone/2.eml"));
        for (const QString &path : {fifo, good, gone})
            w->addMessagePath(path);
        convertTo(destination.root());
        QCOMPARE(dialogs->boxes.size(), 1);
        const ScriptedDialogs::Box box = dialogs->boxes[0];
        QCOMPARE(box.style, 48);
        QCOMPARE(box.title, QStringLiteral("Quorvel"));
        QVERIFY(!box.prompt.contains(QStringLiteral("Successfully")));
        QVERIFY2(box.prompt.contains(QStringLiteral("1 of 3")), qPrintable(box.prompt));
        QVERIFY(box.prompt.contains(fifo));
        QVERIFY(box.prompt.contains(gone));
        QVERIFY(!box.prompt.contains(good));
        QVERIFY(w->convertButton->isEnabled());
    }

    // The box names the first failures only: its details and a report file
    // hold every one; a clean run leaves no report.
    void completeReportInTheDetailsAndAFile_data()
    {
        QTest::addColumn<int>("missing");
        QTest::addColumn<bool>("folderBlocked");
        QTest::newRow("clean run") << 0 << false;
        QTest::newRow("more than the box lists") << 25 << false;
        QTest::newRow("report folder cannot be made") << 3 << true;
    }
    void completeReportInTheDetailsAndAFile()
    {
        QFETCH(int, missing);
        QFETCH(bool, folderBlocked);
        TempTree source, destination;
        QFile inTheWay(state->reportFolder());
        QVERIFY(!folderBlocked || inTheWay.open(QIODevice::WriteOnly));
        w->addMessagePath(source.file("ok/1.eml", message(1)));
        for (int i = 0; i < missing; ++i)
            w->addMessagePath(source.path(QStringLiteral("gone/%1.eml").arg(i)));
        convertTo(destination.root());

        const ScriptedDialogs::Box box = dialogs->boxes.value(0);
        for (int i = 0; i < missing; ++i)
            QVERIFY(box.details.contains(QStringLiteral("\n%1: ").arg(source.path(QStringLiteral("gone/%1.eml").arg(i)))));
        const QStringList reports = state->reports();
        QCOMPARE(reports.size(), missing > 0 && !folderBlocked ? 1 : 0);
        QCOMPARE(box.details.isEmpty(), missing == 0);
        if (folderBlocked)
            QVERIFY2(box.prompt.contains(QStringLiteral("could not be written")), qPrintable(box.prompt));
        if (reports.isEmpty())
            return;
        QVERIFY2(reports[0].startsWith(QStringLiteral("conversion-"))
                     && QDateTime::fromString(reports[0].mid(11, 19), QStringLiteral("yyyy-MM-dd'T'HH-mm-ss")).isValid(),
                 qPrintable(reports[0]));
        const QString reportPath = state->reportFolder() + QLatin1Char('/') + reports[0];
        QCOMPARE(QString::fromUtf8(TempTree::read(reportPath)), box.details);
        QVERIFY2(box.prompt.endsWith(reportPath + QStringLiteral("\r\n")), qPrintable(box.prompt));
    }

    void emptyListSaysSoAtOnce()
    {
        TempTree destination;
        convertTo(destination.root());
        QCOMPARE(dialogs->boxes.size(), 1);
        QVERIFY(dialogs->boxes[0].prompt.contains(QStringLiteral("nothing to convert")));
        QVERIFY(w->convertButton->isEnabled());
        QCOMPARE(QDir(destination.root()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    }

    void clearingDuringTheRunChangesNothingConverted()
    {
        TempTree source;
        TempTree destination;
        w->addMessagePath(source.file("a/1.eml", message(1)));
        w->addMessagePath(source.file("a/2.eml", message(2)));
        yieldAtEveryPoint();
        dialogs->msgBoxAnswers.enqueue(MsgBoxResult::Yes);  // the clear question
        // Clear once the run is reading its first message.
        QTimer clearer;
        clearer.setInterval(0);
        connect(&clearer, &QTimer::timeout, w, [&] {
            if (w->bytesReadLabel->text().contains(QStringLiteral("Bytes out of"))) {
                clearer.stop();
                w->clearListButton->click();
            }
        });
        clearer.start();
        convertTo(destination.root());
        QVERIFY(!clearer.isActive());
        QVERIFY(w->messageListIsEmpty());
        const QByteArray mbox = TempTree::read(destination.root() + source.root() + QStringLiteral("/a/a.mbox"));
        QCOMPARE(recordCount(mbox), 2);
        QCOMPARE(dialogs->boxes.size(), 2);  // the clear question, then the report
        QCOMPARE(dialogs->boxes.last().style, 64);
    }

    // Anything can be clicked while a run yields: adding files or a folder
    // must not turn the convert button back on, or a click on it would start a
    // second run inside the first one's half-written record.
    void addingDuringTheRunKeepsConvertOff()
    {
        TempTree source, destination, more;
        QByteArray whole;
        for (int i = 0; i < 6; ++i) {
            w->addMessagePath(source.file(QStringLiteral("a/%1.eml").arg(i), message(i, 2000)));
            whole += "From sender" + QByteArray::number(i) + "@example.org Tue Mar 05 14:07:09 2024\r\n" + message(i, 2000) + "\r\n";
        }
        const QString added = more.file("b/extra.eml", message(99));
        dialogs->folderAnswers << destination.root() << more.root() << destination.root();
        dialogs->openAnswers.enqueue({added});
        yieldAtEveryPoint();
        QList<bool> enabledMeanwhile;
        QTimer meddler;
        meddler.setInterval(0);
        connect(&meddler, &QTimer::timeout, w, [&] {
            if (w->messageNumberLabel->text() != QLatin1String("Message 1 (of 6)"))
                return;
            meddler.stop();
            for (QPushButton *command : {w->addFolderButton, w->addFilesButton}) {
                command->click();
                enabledMeanwhile << w->convertButton->isEnabled();
            }
            w->convertButton->click();
        });
        meddler.start();
        convertTo(destination.root());

        QCOMPARE(enabledMeanwhile, QList<bool>({false, false}));
        QCOMPARE(dialogs->folderPrompts.size(), 2);  // one destination, one source folder
        QCOMPARE(TempTree::read(destination.root() + source.root() + QStringLiteral("/a/a.mbox")), whole);
        QCOMPARE(dialogs->boxes.size(), 2);  // the folder's count, then the run's report
        QCOMPARE(dialogs->boxes.last().style, 64);
        QVERIFY(w->convertButton->isEnabled());
    }

    // Disabled during the run, the convert button passed the focus on to Exit,
    // where Return twice quits.
    void focusComesBackAfterTheRun_data()
    {
        QTest::addColumn<bool>("withMessages");
        QTest::newRow("converted") << true;
        QTest::newRow("nothing to convert") << false;
    }
    void focusComesBackAfterTheRun()
    {
        QFETCH(bool, withMessages);
        TempTree source, destination;
        if (withMessages)
            w->addMessagePath(source.file("a/1.eml", message(1)));
        w->convertButton->setEnabled(true);
        w->convertButton->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w->convertButton));
        dialogs->folderAnswers.enqueue(destination.root());
        QTest::keyClick(w->convertButton, Qt::Key_Return);
        QCOMPARE(dialogs->boxes.size(), 1);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w->convertButton));
    }

    void closingDuringTheRunLeavesWholeRecordsOnly()
    {
        TempTree source;
        TempTree destination;
        for (int i = 0; i < 40; ++i)
            w->addMessagePath(source.file(QStringLiteral("a/%1.eml").arg(i), message(i, 2000)));
        yieldAtEveryPoint();
        // Close the window once the second message is done.
        QTimer closer;
        closer.setInterval(0);
        connect(&closer, &QTimer::timeout, w, [&] {
            if (w->messageNumberLabel->text() == QLatin1String("Message 2 (of 40)")) {
                closer.stop();
                w->close();
            }
        });
        closer.start();
        convertTo(destination.root());
        QVERIFY(!w->isVisible());
        QVERIFY(dialogs->boxes.isEmpty());
        QVERIFY(w->convertButton->isEnabled());
        const QByteArray mbox = TempTree::read(destination.root() + source.root() + QStringLiteral("/a/a.mbox"));
        const int records = recordCount(mbox);
        QVERIFY2(records >= 2 && records <= 3, qPrintable(QString::number(records)));
        QByteArray whole;
        for (int i = 0; i < records; ++i)
            whole += "From sender" + QByteArray::number(i) + "@example.org Tue Mar 05 14:07:09 2024\r\n" + message(i, 2000) + "\r\n";
        QCOMPARE(mbox, whole);
    }

    // One box, one failure and one sentence for the rest, not a line per message.
    void fullDiskIsReportedOnce()
    {
        const SmallDisk disk("1m");
        if (!disk.mounted())
            QSKIP("no right to mount a tmpfs here");
        TempTree source;
        for (int i = 1; i <= 30; ++i)
            w->addMessagePath(source.file(QStringLiteral("In/%1.eml").arg(i), message(i, 4000)));
        convertTo(disk.path());
        QCOMPARE(dialogs->boxes.size(), 1);
        const QString box = dialogs->boxes[0].prompt;
        QCOMPARE(box.count(QStringLiteral("No space left on device")), 1);
        QCOMPARE(box.count(QStringLiteral("The disk is full")), 1);
        QVERIFY2(box.contains(QRegularExpression(QStringLiteral("the remaining \\d+ messages were not tried"))), qPrintable(box));
    }
};

QTEST_MAIN(ConvertCommandTest)
#include "tst_convertcommand.moc"
