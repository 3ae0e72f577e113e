#include "cli/CommandOptions.h"
#include "cli/ConvertCommand.h"
#include "engine/support/FileNames.h"

#include <QCoreApplication>
#include <cstdio>
#include <exception>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quorvel-convert"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUORVEL_VERSION));

    // Arguments are bytes: a file name that is not UTF-8 must reach open() unchanged.
    QStringList arguments;
    for (int k = 0; k < argc; ++k)
        arguments.append(nameFromNative(argv[k]));

    const ParsedCommand command = parseCommandLine(arguments);
    switch (command.action) {
    case ParsedCommand::Action::ShowHelp:
    case ParsedCommand::Action::ShowVersion:
        std::fputs(command.text.toUtf8().constData(), stdout);
        return ExitDone;
    case ParsedCommand::Action::UsageError:
        std::fprintf(stderr, "quorvel-convert: %s\nTry 'quorvel-convert --help' for more information.\n",
                     nativeName(command.text).constData());
        return ExitUsage;
    case ParsedCommand::Action::Run:
        break;
    }
    // Whatever escapes the run is still said in one line, never a bare abort.
    try {
        return runConvertCommand(command.options);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "quorvel-convert: %s\n", error.what());
    }
    return ExitSomeFailed;
}
