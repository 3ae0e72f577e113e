#pragma once

#include "engine/mbox/MboxNaming.h"
#include "engine/message/MessageIdentity.h"
#include "engine/run/OutputLayout.h"

#include <QString>
#include <QStringList>

enum class LineEnds { CrLf, Lf };
enum class ProgressMode { Auto, Always, Never };

struct CommandOptions {
    QStringList sources;      // in the order given, then those of the list file
    QString listFile;         // --files-from; "-" is standard input
    bool nulSeparated = false;
    MboxNaming naming;        // -o DEST as destination (empty with --single), --relative, --single FILE
    OutputLayout layout = OutputLayout::Mbox;
    LineEnds lineEnds = LineEnds::CrLf;
    ProgressMode progress = ProgressMode::Auto;
    QString reportFile;
    bool skipDuplicates = false;
    bool unread = false;
    DuplicateRule duplicates = DuplicateRule::ExactCopy;
    bool dryRun = false;
    bool quiet = false;
    bool verbose = false;
};

struct ParsedCommand {
    enum class Action { Run, ShowHelp, ShowVersion, UsageError };
    Action action = Action::Run;
    CommandOptions options;
    QString text;  // the help, the version, or the usage error in one line
};

// arguments[0] is the program's name. Each argument is text made from the
// system's bytes with NameFromNative, so any file name comes through whole.
ParsedCommand parseCommandLine(const QStringList &arguments);
