#include "app/StartupArguments.h"
#include "engine/support/StopSignals.h"
#include "window/dialogs/QtDialogs.h"
#include "window/MainWindow.h"
#include "window/StopSignalWatch.h"

#include <QApplication>
#include <QGuiApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

namespace {
bool displayAvailable()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty())
        return true;
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}
}

int main(int argc, char *argv[])
{
    // The remembered folders are kept under these names.
    QCoreApplication::setOrganizationName(QStringLiteral("quorvel"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("quorvel.example.org"));
    QCoreApplication::setApplicationName(QStringLiteral("Quorvel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUORVEL_VERSION));

    const StartupArguments arguments = readStartupArguments(argc, argv);
    if (arguments.exitNow)
        return *arguments.exitNow;
    if (!arguments.platformNamed && !displayAvailable()) {
        std::fputs("quorvel: no display to open the window on (DISPLAY and WAYLAND_DISPLAY are unset)\n", stderr);
        return 2;
    }
    QApplication application(argc, argv);
    closeWindowsOnStopSignals(&application);
    QtDialogs dialogs;
    MainWindow window(dialogs);
    window.show();
    if (!arguments.paths.isEmpty())
        QTimer::singleShot(0, &window, [&window, &arguments] { window.addStartupPaths(arguments.paths); });
    const int status = application.exec();
    // As a shell reports a process a signal ended.
    return stopRequested() ? 128 + stopSignal() : status;
}
