// Times the conversion run through the real window, offscreen, dialogs scripted.
//   convert_bench make TREE N        makes the message tree, prints its size in bytes
//   convert_bench make-huge FILE MB  makes one message of MB MiB, prints its size in bytes
//   convert_bench run TREE DEST      prints quorvel_s=... max_stall_ms=... peak_rss_mb=... written=...

#include "BenchSupport.h"
#include "engine/support/Yielder.h"
#include "engine/walk/FolderMessages.h"
#include "MessageTree.h"
#include "window/MainWindow.h"

#include <QApplication>
#include <QPushButton>
#include <cstdio>

namespace {

int run(int argc, char *argv[], const QString &tree, const QString &destination)
{
    QApplication application(argc, argv);
    BenchDialogs dialogs(destination);
    MainWindow window(dialogs);
    window.show();

    NoYield walking;
    const QStringList paths = messagesBelow(tree, walking).messages;
    for (const QString &path : paths)
        window.addMessagePath(path);

    const ClickTiming timing = timeClickUntilBox(application, dialogs, window.convertButton);
    const bool success = timing.boxText.startsWith(QStringLiteral("Export Completed Successfully !"));
    if (!success)
        std::fprintf(stderr, "%s\n", qPrintable(timing.boxText));
    std::printf("quorvel_s=%.3f max_stall_ms=%.1f peak_rss_mb=%.1f messages=%lld\n", timing.seconds,
                timing.longestStallMs, peakRssMb(), static_cast<long long>(paths.size()));
    return success ? 0 : 1;
}
}

int main(int argc, char *argv[])
{
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (mode == QLatin1String("make") && argc == 4) {
        const long long bytes = makeMessageTree(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]));
        std::printf("%lld\n", bytes);
        return bytes < 0 ? 1 : 0;
    }
    if (mode == QLatin1String("make-huge") && argc == 4) {
        const long long bytes = makeHugeMessage(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]));
        std::printf("%lld\n", bytes);
        return bytes < 0 ? 1 : 0;
    }
    if (mode == QLatin1String("run") && argc == 4)
        return run(argc, argv, QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    std::fprintf(stderr, "usage: convert_bench make TREE N | make-huge FILE MB | run TREE DEST\n");
    return 2;
}
