// Times the add-folder command through the real window, offscreen, with the
// dialogs scripted: from the click to the count box.
//   walk_bench make TREE N   makes the tree, prints how many *.eml it made
//   walk_bench run TREE      prints quorvel_s=... added=... max_stall_ms=... peak_rss_mb=...

#include "BenchSupport.h"
#include "BenchTree.h"
#include "window/MainWindow.h"

#include <QApplication>
#include <QPushButton>
#include <cstdio>

namespace {

int run(int argc, char *argv[], const QString &tree)
{
    QApplication application(argc, argv);
    BenchDialogs dialogs(tree);
    MainWindow window(dialogs);
    window.show();

    const ClickTiming timing = timeClickUntilBox(application, dialogs, window.addFolderButton);
    const long long added = timing.seconds < 0 ? -1 : timing.boxText.section(QLatin1Char(' '), 0, 0).toLongLong();
    std::printf("quorvel_s=%.3f added=%lld max_stall_ms=%.1f peak_rss_mb=%.1f rows=%d\n", timing.seconds, added,
                timing.longestStallMs, peakRssMb(), window.messageRowCount());
    return added < 0 ? 1 : 0;
}

} // namespace

int main(int argc, char *argv[])
{
    const QString mode = argc > 2 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (mode == QLatin1String("make") && argc == 4) {
        const long long made = makeBenchTree(QString::fromLocal8Bit(argv[2]), std::atoll(argv[3]));
        std::printf("%lld\n", made);
        return made < 0 ? 1 : 0;
    }
    if (mode == QLatin1String("run") && argc == 3)
        return run(argc, argv, QString::fromLocal8Bit(argv[2]));
    std::fputs("usage: walk_bench make TREE N | walk_bench run TREE\n", stderr);
    return 2;
}
