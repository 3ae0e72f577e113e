#include "app/StartupArguments.h"

#include "engine/support/FileNames.h"
#include "engine/support/PathOnDisk.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

namespace {
// Qt's own options, which QApplication takes out of the command line later:
// known here so that they are no error and their values are no paths.
void addQtOptions(QCommandLineParser &parser)
{
    for (const char *name : {"platform", "platformpluginpath", "platformtheme", "plugin", "display", "geometry",
                             "qwindowgeometry", "qwindowicon", "qwindowtitle", "style", "stylesheet", "session"}) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char *name : {"reverse", "widgetcount", "nograb", "dograb", "sync"}) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

void print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}
}

StartupArguments readStartupArguments(int argc, char *argv[])
{
    // Paths are bytes: decoded without loss, where QCoreApplication::arguments() would not.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(nameFromNative(argv[i]));

    int coreArgc = argc;
    const QCoreApplication core(coreArgc, argv);
    QCommandLineParser parser;
    // As QApplication reads them: "-style fusion" is one option, not five letters.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    addQtOptions(parser);
    parser.setApplicationDescription(
        QStringLiteral("Turns saved .eml message files into mbox mailboxes.\n"
                       "Each folder named is walked for .eml files as \"Add Folder\" walks it;\n"
                       "each file named is listed as \"Add EML File(s)\" lists it."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("PATH"), QStringLiteral("A folder or .eml file to list in the window."),
                                 QStringLiteral("[PATH]..."));

    StartupArguments result;
    if (!parser.parse(arguments)) {
        print(stderr, QStringLiteral("quorvel: ") + parser.errorText()
                          + QStringLiteral("\nTry 'quorvel --help' for more information.\n"));
        result.exitNow = 2;
        return result;
    }
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        print(stdout, parser.helpText());
        result.exitNow = 0;
        return result;
    }
    if (parser.isSet(version)) {
        print(stdout, QStringLiteral("quorvel " QUORVEL_VERSION "\n"));
        result.exitNow = 0;
        return result;
    }
    result.platformNamed = parser.isSet(QStringLiteral("platform"));
    for (const QString &path : parser.positionalArguments())
        result.paths.append(absolutePath(path));
    return result;
}
