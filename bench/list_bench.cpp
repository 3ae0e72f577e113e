// Adds N paths to the message list of the real window and reports the time and
// the peak memory: "list rows=N seconds=S peak_rss_mb=M".
#include "BenchSupport.h"
#include "window/MainWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000000;
    BenchDialogs dialogs{QString()};
    MainWindow window(dialogs);
    window.show();
    QCoreApplication::processEvents();

    QElapsedTimer clock;
    clock.start();
    // Paths made cheaply, so the figures are the list's own.
    const QString root = QStringLiteral("/home/user/Mail/Archive/");
    for (int i = 0; i < rows; ++i)
        window.addMessagePath(root + QString::number(2000 + i % 25) + QStringLiteral("/folder-")
                              + QString::number(i / 1000) + QStringLiteral("/message-") + QString::number(i)
                              + QStringLiteral(".eml"));
    QCoreApplication::processEvents();
    const double seconds = double(clock.nsecsElapsed()) / 1e9;

    if (window.messageRowCount() != rows) {
        std::fprintf(stderr, "list holds %d rows, not %d\n", window.messageRowCount(), rows);
        return 1;
    }
    std::printf("list rows=%d seconds=%.2f peak_rss_mb=%.0f\n", rows, seconds, peakRssMb());
    return 0;
}
