#include "cli/CommandOptions.h"
#include "engine/layout/ThunderbirdNaming.h"
#include "engine/support/PathOnDisk.h"
#include "engine/support/ShownName.h"

#include <QCommandLineParser>

namespace {

// Said after the options in --help; the manual page says the same at length.
const char *const HelpNotes = R"(
SOURCE is a file or a folder of saved mail, each file taken for what its name
and first bytes say: a .eml file (one message); Apple Mail's N.emlx (one
message and its flags; N.partial.emlx gets its attachments back from the
Attachments folder beside Messages); a file that starts with a "From " line
(an mbox: each message, its separator line kept); a folder with cur/ and new/
(a maildir: its messages, their flags, its .Sub.Folders). A folder is walked
once, in name order, links to folders followed and each real folder walked
once; a file of no known kind in it is left out and counted (-v names it).
A file named here of no known kind is taken as a message. With --only eml a
folder gives its .eml files alone, as the window's add-folder command does.
  quorvel-convert ~/Maildir --layout thunderbird -o ~/tb   (a maildir)
  quorvel-convert ~/Library/Mail/V10 -o ~/export           (Apple Mail)
  quorvel-convert old-inbox.mbox --relative -o ~/export    (an mbox)
Sources are converted in the order given, then those of --files-from. A file
whose name starts with '-' is named after --.

Output: one mbox per source folder, mirroring the folder's absolute path below
DEST, byte for byte what the window writes for the same messages:
  /home/ann/Mail/Inbox/1.eml  ->  DEST/home/ann/Mail/Inbox/Inbox.mbox
Each record is a "From " separator line, the message with mboxrd quoting, and
an empty line. Every line of a record ends in CR LF by default (a bare LF or
CR in the message also ends a line), or in LF alone with --line-endings lf.

Thunderbird: --layout thunderbird makes DEST a folder shaped as a profile:
each folder SOURCE's tree, from its own name on, in DEST/Mail/Local Folders/
in Thunderbird's layout (a folder is an mbox file without extension, its
subfolders in Name.sbd/), LF line ends, and after every separator the status
lines Thunderbird writes (X-Mozilla-Status: 0001, read; 0000 with --unread).
A folder name Thunderbird would pass over or look for elsewhere is changed:
.hidden -> _.hidden, old.msf -> old.msf_, draft~ -> draft~_, 'v1.' -> 'v1._',
'#', ';' and control characters -> '_', bytes that are not UTF-8 are read as
Latin-1, and a name over 55 characters is cut to 47 and ends in Thunderbird's
own 8-digit hash of it. Import it while Thunderbird runs:
Tools > Import..., Import from another Thunderbird installation, Choose a
profile folder, pick DEST, untick all but Mail Messages, Start Import.
--into-thunderbird writes the tree into the Local Folders of the default
profile (~/.thunderbird, Flatpak's or Snap's) or of PROFILE (a name or a
folder), as a new folder named after each SOURCE ("Name 2" when taken), and
the same SOURCE run again continues its folder. It refuses while Thunderbird
runs with that profile, and so does any -o or --single inside that profile.

Reading the output: mutt -f FILE and Python's mailbox module read an mbox in
place; they expect LF alone and would otherwise keep a CR on every line, so
give them --line-endings lf (so too Dovecot, which serves a folder of mbox
files: --relative --line-endings lf). Evolution (File > Import, a single file)
imports an mbox with either line ends. Thunderbird has no mbox import: see
Thunderbird above.
man quorvel-convert says more, Apple Mail too.

Maildir: with --layout maildir, DEST becomes a Maildir++ tree, Dovecot's own
store, which mutt opens folder by folder: one file per message, the message's
bytes as they are (no separator line, no quoting, LF line ends unless
--line-endings crlf), its date as the file's time, marked as read unless
--unread. Each folder becomes DEST/.A.B/ for its levels A and B, named as
--relative or the default names the mbox files (~/Mail/Inbox with --relative:
DEST/.Mail.Inbox/); a first level named Inbox is the INBOX, DEST itself.
Folder names are in IMAP's modified UTF-7 (Fr&APw-h for Früh); a dot inside a
name becomes U+2024, which looks the same. A file name holds a hash of the
text, so --skip-duplicates finds a copy by its name without reading it.

Re-running: with --skip-duplicates a message of which an exact copy is already
in its target mbox (the same text once line ends are made alike) is not
appended again. Running the same command again after an interruption, or
after adding a few files, appends only what is missing. -v and the report
name each message skipped and the record it matched. With --duplicates-by
message-id a message is skipped when one with the same Message-ID is there,
whatever else it holds: quicker to decide, but real mail reuses IDs, so this
can skip messages that differ. --dry-run --skip-duplicates says which
messages would be skipped.

Order: messages go into each mbox in the order listed; with --order date in
the order of their dates (the separator line's: Date, else Received, else the
envelope line, else the file's time; ties keep the list order).

Manifest: --manifest FILE writes one JSON line per message, in the order of
writing: "path", "status" (written, skipped, failed), "file" and "offset" (the
mbox and the byte its record begins at; for a skipped message, its copy's),
"length" (the record's bytes), "hash" (XXH3-128, seed 0, hex, of the message
without a leading "From " line, line ends made LF, final ones dropped), "date"
(UTC), "reason" (why it failed) and "warnings". The --report gives each mbox's
counts under "folders".

Checking: --verify reads back every mbox file the run wrote, with a reader of
its own, and looks for each message written or skipped: its text, line ends
made alike, quoting undone. --verify-only does the same for a destination
written earlier (by the window: -o DEST without --relative), and writes
nothing. Each message not found is named on stderr ("verify: missing" or
"verify: changed", with the record's byte offset) and in the report; the
summary says how many were verified; any mismatch makes the exit status 1.
Only texts are compared: not separator lines, flags, line ends, nor which
folder a message is in (the run's own naming says where to look). An mbox
source's messages are taken as the run split the file, so two it joined pass
as one; a second reading of each mbox source, by a rule of its own, warns of
every line where the two splits differ ("warning: FILE: verify: line N ...",
counted in the summary); the exit status stays as the check decides.

Progress is drawn on stderr only when it is a terminal, never into a pipe or a
file. Failures are named on stderr, one per line, as "quorvel-convert: PATH:
reason", followed by a summary line; control characters in names are shown as
C escapes (\n, \e, \xHH), in the manner of ls -b. Sizes are in KiB, MiB, GiB.

Exit status: 0 every message written (or skipped as a duplicate); 1 a message
failed, a folder could not be read or a message was not verified; 2 usage
error, or a destination or report that cannot be written, found before
anything is (nothing written); 130 stopped by SIGINT, SIGTERM or SIGHUP (the
record being written is cut back, what was written is flushed to disk).
)";

// Qt names an unknown "-weird.eml" by its letters, one by one; the argument
// itself says more, and one that looks like a file name most likely is one.
QString unknownOptionText(const QStringList &arguments, const QString &unknown)
{
    for (qsizetype k = 1; k < arguments.size(); ++k) {
        const QString &argument = arguments[k];
        if (argument == QLatin1String("--"))
            break;
        const bool isLong = argument.startsWith(QLatin1String("--"));
        const bool holds = isLong ? argument.mid(2).section(QLatin1Char('='), 0, 0) == unknown
                                  : argument.size() > 1 && argument.startsWith(QLatin1Char('-')) && unknown.size() == 1
                                        && argument.mid(1).contains(unknown);
        if (!holds)
            continue;
        QString text = QStringLiteral("unknown option '%1'").arg(shownName(argument));
        if (!isLong && (argument.contains(QLatin1Char('.')) || argument.contains(QLatin1Char('/'))))
            text += QStringLiteral(" (to name a file that starts with '-', put -- before it)");
        return text;
    }
    return QStringLiteral("unknown option '%1'").arg(shownName(unknown));
}

} // namespace

// A --name taking one of a few words (any case): the meaning of the word given,
// and true; false, with why in problem, for another word. choices in the
// order the problem names them.
template <typename T>
bool chooseValue(const QCommandLineParser &parser, const QCommandLineOption &option,
                 std::initializer_list<std::pair<const char *, T>> choices, T &chosen, QString &problem)
{
    if (!parser.isSet(option))
        return true;
    const QString value = parser.value(option).toLower();
    QStringList words;
    for (const auto &[word, meaning] : choices) {
        if (value == QLatin1String(word)) {
            chosen = meaning;
            return true;
        }
        words << QString::fromLatin1(word);
    }
    const QString last = words.takeLast();
    problem = QStringLiteral("--%1 takes %2 or %3, not '%4'")
                  .arg(option.names().constLast(), words.join(QStringLiteral(", ")), last, shownName(parser.value(option)));
    return false;
}

ParsedCommand parseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Converts .eml message files into mbox mailboxes."));
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("Write the mbox files below DEST."), QStringLiteral("DEST"));
    const QCommandLineOption relative(QStringLiteral("relative"),
                                      QStringLiteral("Mirror each folder SOURCE from its own name, not from the root."));
    const QCommandLineOption single(QStringLiteral("single"),
                                    QStringLiteral("Every message into the one mbox FILE (no DEST needed)."),
                                    QStringLiteral("FILE"));
    const QCommandLineOption lineEndings(QStringLiteral("line-endings"),
                                         QStringLiteral("End the lines of each record in crlf (default, as the window) or lf, any case."),
                                         QStringLiteral("crlf|lf"));
    const QCommandLineOption layout(QStringLiteral("layout"),
                                    QStringLiteral("How DEST is laid out: mbox (default), thunderbird or maildir."),
                                    QStringLiteral("mbox|thunderbird|maildir"));
    const QCommandLineOption intoThunderbird(QStringLiteral("into-thunderbird"),
                                             QStringLiteral("Write straight into the Local Folders of the default Thunderbird profile, "
                                                            "or of the one named by --into-thunderbird=PROFILE (a name or a folder), "
                                                            "as a new folder named after each SOURCE. Thunderbird must be closed."));
    const QCommandLineOption unread(QStringLiteral("unread"),
                                    QStringLiteral("Leave the messages unread (they are marked as read), in the thunderbird and maildir layouts."));
    const QCommandLineOption skipDuplicates(QStringLiteral("skip-duplicates"),
                                            QStringLiteral("Do not append a message already in its target mbox."));
    const QCommandLineOption filesFrom(QStringLiteral("files-from"),
                                       QStringLiteral("Convert the paths listed in LIST too, one a line (- reads standard input)."),
                                       QStringLiteral("LIST"));
    const QCommandLineOption nul(QStringLiteral("null"),
                                 QStringLiteral("The paths in LIST are separated by NUL bytes (find -print0), not lines."));
    const QCommandLineOption duplicatesBy(QStringLiteral("duplicates-by"),
                                          QStringLiteral("With --skip-duplicates, what makes a copy: content (default, the same text) or message-id (the same Message-ID)."),
                                          QStringLiteral("content|message-id"));
    const QCommandLineOption dryRun({QStringLiteral("n"), QStringLiteral("dry-run")},
                                    QStringLiteral("Print each message and the mbox it would go to; write nothing."));
    const QCommandLineOption verify(QStringLiteral("verify"),
                                    QStringLiteral("Read back what the run wrote and compare every message with its source."));
    const QCommandLineOption verifyOnly(QStringLiteral("verify-only"),
                                        QStringLiteral("Write nothing: compare each SOURCE with its copy in DEST, written earlier with the same options."));
    const QCommandLineOption report(QStringLiteral("report"),
                                    QStringLiteral("Write a JSON report of the run to FILE."), QStringLiteral("FILE"));
    const QCommandLineOption manifest(QStringLiteral("manifest"),
                                      QStringLiteral("Write one JSON line per message to FILE: where its record went, its hash, what became of it."),
                                      QStringLiteral("FILE"));
    const QCommandLineOption only(QStringLiteral("only"),
                                  QStringLiteral("Take only KIND from folders: eml, their .eml files, as the window does."),
                                  QStringLiteral("eml"));
    const QCommandLineOption keepFlags(QStringLiteral("keep-flags"),
                                       QStringLiteral("Write the read, replied and flagged marks a maildir or Apple Mail kept as Status: and X-Status: fields (mbox layout)."));
    const QCommandLineOption order(QStringLiteral("order"),
                                   QStringLiteral("Order of the messages in each mbox: list (default, as listed) or date (by their dates)."),
                                   QStringLiteral("list|date"));
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")},
                                   QStringLiteral("Print failures only, no summary."));
    const QCommandLineOption verbose({QStringLiteral("v"), QStringLiteral("verbose")},
                                     QStringLiteral("Print one line per message on stdout."));
    const QCommandLineOption progress(QStringLiteral("progress"),
                                      QStringLiteral("Progress line on a terminal: auto (unless -q or -v), always, never."),
                                      QStringLiteral("auto|always|never"));
    const QCommandLineOption version({QStringLiteral("V"), QStringLiteral("version")}, QStringLiteral("Print the version and exit."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Print this help and exit."));
    parser.addOptions({output, relative, single, layout, intoThunderbird, unread, lineEndings, skipDuplicates, duplicatesBy, filesFrom,
                       nul, dryRun, verify, verifyOnly, report, manifest, order, only, keepFlags, quiet, verbose,
                       progress, version, help});
    parser.addPositionalArgument(QStringLiteral("SOURCE"), QStringLiteral(".eml files and folders to convert."),
                                 QStringLiteral("SOURCE... -o DEST"));

    ParsedCommand parsed;
    // Qt's parser knows no option whose value is optional: the value of
    // --into-thunderbird=PROFILE is taken off before it parses.
    QStringList given = arguments;
    for (qsizetype k = 1; k < given.size() && given[k] != QLatin1String("--"); ++k)
        if (given[k].startsWith(QLatin1String("--into-thunderbird="))) {
            parsed.options.profile = given[k].mid(19);
            given[k] = QStringLiteral("--into-thunderbird");
        }
    auto fail = [&](const QString &message) {
        parsed.action = ParsedCommand::Action::UsageError;
        parsed.text = message;
        return parsed;
    };
    if (!parser.parse(given)) {
        if (!parser.unknownOptionNames().isEmpty())
            return fail(unknownOptionText(arguments, parser.unknownOptionNames().first()));
        return fail(parser.errorText());
    }
    if (parser.isSet(help)) {
        parsed.action = ParsedCommand::Action::ShowHelp;
        // Qt names the program by the path it was started with; the help names it by its name.
        QString text = parser.helpText();
        const qsizetype afterName = text.indexOf(QLatin1String(" [options]"));
        if (text.startsWith(QLatin1String("Usage: ")) && afterName > 0)
            text.replace(7, afterName - 7, QStringLiteral("quorvel-convert"));
        parsed.text = text + QString::fromUtf8(HelpNotes);
        return parsed;
    }
    if (parser.isSet(version)) {
        parsed.action = ParsedCommand::Action::ShowVersion;
        parsed.text = QStringLiteral("quorvel-convert " QUORVEL_VERSION "\n");
        return parsed;
    }

    CommandOptions &options = parsed.options;
    options.sources = parser.positionalArguments();
    options.listFile = parser.value(filesFrom);
    options.nulSeparated = parser.isSet(nul);
    options.naming.destination = parser.value(output);
    options.naming.singleFile = parser.value(single);
    options.reportFile = parser.value(report);
    options.manifestFile = parser.value(manifest);
    options.skipDuplicates = parser.isSet(skipDuplicates);
    options.unread = parser.isSet(unread);
    options.dryRun = parser.isSet(dryRun);
    options.verify = parser.isSet(verify);
    options.verifyOnly = parser.isSet(verifyOnly);
    options.quiet = parser.isSet(quiet);
    options.verbose = parser.isSet(verbose);

    QString problem;
    if (!chooseValue(parser, lineEndings, {{"crlf", LineEnds::CrLf}, {"lf", LineEnds::Lf}}, options.lineEnds, problem))
        return fail(problem);
    if (!chooseValue(parser, layout,
                     {{"mbox", OutputLayout::Mbox}, {"thunderbird", OutputLayout::Thunderbird}, {"maildir", OutputLayout::Maildir}},
                     options.layout, problem))
        return fail(problem);
    options.intoThunderbird = parser.isSet(intoThunderbird);
    options.unread = parser.isSet(unread);
    if (options.intoThunderbird) {
        if (parser.isSet(layout) && options.layout != OutputLayout::Thunderbird)
            return fail(QStringLiteral("--into-thunderbird writes the thunderbird layout, not another"));
        if (parser.isSet(output) || parser.isSet(single))
            return fail(QStringLiteral("--into-thunderbird takes no -o or --single: it writes into the profile"));
        if (parser.isSet(intoThunderbird) && arguments.contains(QStringLiteral("--into-thunderbird=")))
            return fail(QStringLiteral("--into-thunderbird= needs a profile's name or folder"));
        options.layout = OutputLayout::Thunderbird;
    }
    if (options.layout == OutputLayout::Thunderbird) {
        if (parser.isSet(single))
            return fail(QStringLiteral("--layout thunderbird and --single cannot be used together"));
        if (parser.isSet(lineEndings) && options.lineEnds != LineEnds::Lf)
            return fail(QStringLiteral("--layout thunderbird writes LF line ends, as Thunderbird does on Linux"));
        options.lineEnds = LineEnds::Lf;
    } else if (options.unread && options.layout != OutputLayout::Maildir) {
        return fail(QStringLiteral("--unread needs --layout thunderbird or maildir, or --into-thunderbird"));
    }
    // Maildir files are read by mail programs in place, which expect LF alone.
    if (options.layout == OutputLayout::Maildir && !parser.isSet(lineEndings))
        options.lineEnds = LineEnds::Lf;
    if (options.layout == OutputLayout::Maildir && parser.isSet(single))
        return fail(QStringLiteral("--single and --layout maildir cannot be used together"));
    if (parser.isSet(duplicatesBy)) {
        if (!chooseValue(parser, duplicatesBy, {{"content", DuplicateRule::ExactCopy}, {"message-id", DuplicateRule::MessageId}},
                         options.duplicates, problem))
            return fail(problem);
        if (!options.skipDuplicates)
            return fail(QStringLiteral("--duplicates-by needs --skip-duplicates"));
        // A Maildir file is found again by the hash of its text in its name, unread.
        if (options.duplicates == DuplicateRule::MessageId && options.layout == OutputLayout::Maildir)
            return fail(QStringLiteral("--duplicates-by message-id cannot be used with --layout maildir"));
    }
    if (parser.isSet(only)) {
        if (parser.value(only).toLower() != QLatin1String("eml"))
            return fail(QStringLiteral("--only takes eml, not '%1'").arg(shownName(parser.value(only))));
        options.onlyEml = true;
    }
    options.keepFlags = parser.isSet(keepFlags);
    if (options.keepFlags && options.layout != OutputLayout::Mbox)
        return fail(QStringLiteral("--keep-flags is for the mbox layout; the other layouts keep the marks their own way"));
    if (options.keepFlags && (options.verify || options.verifyOnly))
        return fail(QStringLiteral("--keep-flags adds header fields that --verify would not find in the sources"));
    if (!chooseValue(parser, order, {{"list", WriteOrder::List}, {"date", WriteOrder::Date}}, options.order, problem))
        return fail(problem);
    if (!chooseValue(parser, progress, {{"auto", ProgressMode::Auto}, {"always", ProgressMode::Always}, {"never", ProgressMode::Never}},
                     options.progress, problem))
        return fail(problem);
    if (options.verify && options.verifyOnly)
        return fail(QStringLiteral("--verify and --verify-only cannot be used together"));
    if (options.dryRun && (options.verify || options.verifyOnly))
        return fail(QStringLiteral("--dry-run writes nothing to verify; --verify-only checks an earlier run"));
    if (parser.isSet(quiet) && parser.isSet(verbose))
        return fail(QStringLiteral("--quiet and --verbose cannot be used together"));
    if (parser.isSet(filesFrom) && options.listFile.isEmpty())
        return fail(QStringLiteral("--files-from needs a file name"));
    if (options.nulSeparated && !parser.isSet(filesFrom))
        return fail(QStringLiteral("--null needs --files-from"));
    if (options.sources.isEmpty() && !parser.isSet(filesFrom))
        return fail(QStringLiteral("missing SOURCE"));
    if (parser.isSet(single)) {
        if (parser.isSet(output))
            return fail(QStringLiteral("--single and -o cannot be used together"));
        if (parser.isSet(relative))
            return fail(QStringLiteral("--single and --relative cannot be used together"));
        if (options.naming.singleFile.isEmpty())
            return fail(QStringLiteral("--single needs a file name"));
        options.naming.rule = MboxNaming::Rule::Single;
    } else if (!options.intoThunderbird) {
        if (options.naming.destination.isEmpty())
            return fail(QStringLiteral("missing destination (-o DEST)"));
        if (parser.isSet(relative))
            options.naming.rule = MboxNaming::Rule::Relative;
    }
    if (parser.isSet(report) && options.reportFile.isEmpty())
        return fail(QStringLiteral("--report needs a file name"));
    if (parser.isSet(manifest) && options.manifestFile.isEmpty())
        return fail(QStringLiteral("--manifest needs a file name"));
    if (parser.isSet(manifest) && options.dryRun)
        return fail(QStringLiteral("--manifest and --dry-run cannot be used together (a dry run writes no record)"));
    // Once here, not once a message.
    if (!options.naming.destination.isEmpty())
        options.naming.destination = absolutePath(options.naming.destination);
    options.output = options.naming.destination;
    if (options.layout == OutputLayout::Thunderbird) {
        // Each SOURCE's tree from its own name on, in the profile-shaped DEST (or the profile itself).
        options.naming.rule = MboxNaming::Rule::Thunderbird;
        options.thunderbirdTree = true;
        if (!options.intoThunderbird)
            options.naming.destination = thunderbirdTreeRoot(options.output);
    }
    if (!options.naming.singleFile.isEmpty())
        options.naming.singleFile = absolutePath(options.naming.singleFile);
    if (!options.reportFile.isEmpty())
        options.reportFile = absolutePath(options.reportFile);
    if (!options.manifestFile.isEmpty())
        options.manifestFile = absolutePath(options.manifestFile);
    if (!options.manifestFile.isEmpty() && options.manifestFile == options.reportFile)
        return fail(QStringLiteral("--manifest and --report name the same file"));
    return parsed;
}
