#pragma once

#include "engine/store/MboxNaming.h"
#include "engine/message/MessageIdentity.h"
#include "engine/store/OutputLayout.h"

#include <QString>
#include <QStringList>

enum class LineEnds { CrLf, Lf };
enum class ProgressMode { Auto, Always, Never };
enum class WriteOrder { List, Date };

struct CommandOptions {
    QStringList sources;      // in the order given, then those of the list file
    QString listFile;         // --files-from; "-" is standard input
    bool nulSeparated = false;
    MboxNaming naming;        // -o DEST as destination (empty with --single), --relative, --single FILE
    OutputLayout layout{};  // the first: mbox files
    QString output;           // -o DEST as given, made absolute (naming.destination may lie below it)
    bool thunderbirdTree = false;  // the output is Thunderbird's folder tree: the summary says how to take it in
    bool intoThunderbird = false;  // --into-thunderbird: naming.destination is set once the profile is found
    QString profile;          // its =PROFILE: a name or a folder, empty for the default; then the folder found
    bool onlyEml = false;     // folders give their .eml files alone, as in the window
    bool keepFlags = false;   // a source's flags as Status: and X-Status: fields
    bool unread = false;      // Thunderbird's status lines say new, not read
    LineEnds lineEnds = LineEnds::CrLf;
    ProgressMode progress = ProgressMode::Auto;
    QString reportFile;
    QString manifestFile;     // --manifest: one JSON line per message
    WriteOrder order = WriteOrder::List;
    bool skipDuplicates = false;
    DuplicateRule duplicates = DuplicateRule::ExactCopy;
    bool dryRun = false;
    bool verify = false;      // read back what the run wrote and compare
    bool verifyOnly = false;  // compare with what an earlier run wrote; write nothing
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
// system's bytes with nameFromNative, so any file name comes through whole.
ParsedCommand parseCommandLine(const QStringList &arguments);
