#include "window/StopSignalWatch.h"

#include "engine/support/StopSignals.h"

#include <QApplication>
#include <QSocketNotifier>
#include <unistd.h>

void closeWindowsOnStopSignals(QObject *owner)
{
    catchStopSignals();
    const int fd = stopSignalFd();
    if (fd < 0)
        return;  // a run still stops at its yield points, on the flag alone
    auto *notifier = new QSocketNotifier(fd, QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner, [fd] {
        char drained[64];
        while (::read(fd, drained, sizeof drained) > 0) {
        }
        // Open boxes go too: a modal one would keep the program alive.
        QApplication::closeAllWindows();
    });
}
