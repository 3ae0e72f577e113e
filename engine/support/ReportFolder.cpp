#include "engine/support/ReportFolder.h"

#include "engine/support/FileNames.h"

#include <QDir>

QString reportFolder()
{
    const QByteArray state = qgetenv("XDG_STATE_HOME");
    // A relative XDG_STATE_HOME is taken for unset, as other programs take it.
    if (state.startsWith('/'))
        return nameFromNative(state) + QStringLiteral("/quorvel");
    const QByteArray home = qgetenv("HOME");
    const QString base = home.startsWith('/') ? nameFromNative(home) : QDir::homePath();
    return base + QStringLiteral("/.local/state/quorvel");
}
