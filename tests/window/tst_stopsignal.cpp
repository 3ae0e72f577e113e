#include "TempTree.h"
#include "window/StopSignalWatch.h"
#include "WindowFixture.h"

#include <QApplication>
#include <QFileInfo>
#include <QPushButton>
#include <QTimer>
#include <csignal>
#include <unistd.h>

namespace {
QByteArray message(int number, qsizetype bodyLines)
{
    return "From: sender" + QByteArray::number(number) + "@example.org\r\nDate: Tue, 5 Mar 2024 14:07:09 +0000\r\n\r\n"
         + QByteArray("a line of the body, long enough to fill the message\r\n").repeated(bodyLines);
}
}

// A logout or kill while the window runs. A caught signal is remembered for
// the rest of the process: the run goes first, the idle window after it.
class StopSignalTest : public WindowTest {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { closeWindowsOnStopSignals(qApp); }

    void termMidRecordLeavesWholeRecordsAndClosesTheWindow()
    {
        TempTree source, destination;
        const QByteArray first = message(1, 1);
        w->addMessagePath(source.file(QStringLiteral("In/1.eml"), first));
        w->addMessagePath(source.file(QStringLiteral("In/2.eml"), message(2, 300000)));  // 16 MB
        yieldAtEveryPoint();
        const QString mbox = destination.root() + source.root() + QStringLiteral("/In/In.mbox");
        const QByteArray firstRecord = "From sender1@example.org Tue Mar 05 14:07:09 2024\r\n" + first + "\r\n";
        bool sent = false;
        QTimer midway;
        midway.setInterval(0);
        connect(&midway, &QTimer::timeout, this, [&] {
            if (!sent && QFileInfo(mbox).size() > firstRecord.size() + 1024 * 1024) {
                sent = true;
                ::kill(::getpid(), SIGTERM);
            }
        });
        midway.start();
        dialogs->folderAnswers.enqueue(destination.root());
        w->convertButton->setEnabled(true);
        w->convertButton->click();

        QVERIFY(sent);
        QTRY_VERIFY(!w->isVisible());
        QVERIFY2(dialogs->boxes.isEmpty(), "a closing window shows no report");
        QCOMPARE(TempTree::read(mbox), firstRecord);
        QCOMPARE(QFileInfo(destination.root() + source.root() + QStringLiteral("/In/.In.mbox.append")).size(), 0);
    }

    void hangUpClosesTheIdleWindow()
    {
        QVERIFY(w->isVisible());
        ::kill(::getpid(), SIGHUP);
        QTRY_VERIFY(!w->isVisible());
    }
};

QTEST_MAIN(StopSignalTest)
#include "tst_stopsignal.moc"
