#include "app/QtDialogs.h"
#include "app/frmStep1.h"

#include <QApplication>
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>

namespace {
bool DisplayAvailable()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty())
        return true;
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}
}

int main(int argc, char *argv[])
{
    if (!DisplayAvailable()) {
        std::fputs("quorvel: no display to open the window on (DISPLAY and WAYLAND_DISPLAY are unset)\n", stderr);
        return 2;
    }
    QApplication application(argc, argv);
    QtDialogs dialogs;
    frmStep1 window(dialogs);
    window.show();
    return application.exec();
}
