#pragma once

#include <QStringList>
#include <optional>

// The command line, read before any window exists: --help and --version are
// answered on stdout and a wrong option on stderr, none of them needing a
// display. Otherwise the paths to list, made absolute, in the order given.
struct StartupArguments {
    std::optional<int> exitNow;
    QStringList paths;
    // "-platform NAME" names where the window goes, as QT_QPA_PLATFORM does.
    bool platformNamed = false;
};

StartupArguments readStartupArguments(int argc, char *argv[]);
