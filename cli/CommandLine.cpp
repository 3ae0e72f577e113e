#include "cli/CommandOptions.h"
#include "engine/support/PathOnDisk.h"
#include "engine/support/ShownName.h"

#include <QCommandLineParser>

namespace {

// Said after the options in --help; the manual page says the same at length.
const char *const HelpNotes = R"(
SOURCE is a .eml file (a file named here is taken as a message, whatever its
name) or a folder, walked as the Quorvel window's add-folder command walks it:
every file whose name ends in .eml (any letter case) below it, in name order,
links to folders followed and each real folder walked once. Sources are
converted in the order given, then those of --files-from. A file whose name
starts with '-' is named after --.

Output: one mbox per source folder, mirroring the folder's absolute path below
DEST, byte for byte what the window writes for the same messages:
  /home/ann/Mail/Inbox/1.eml  ->  DEST/home/ann/Mail/Inbox/Inbox.mbox
Each record is a "From " separator line, the message with mboxrd quoting, and
an empty line. Every line of a record ends in CR LF by default (a bare LF or
CR in the message also ends a line), or in LF alone with --line-endings lf.

Reading the output: mutt -f FILE and Python's mailbox module read an mbox in
place; they expect LF alone and would otherwise keep a CR on every line, so
give them --line-endings lf (so too Dovecot, which serves a folder of mbox
files: --relative --line-endings lf). Evolution (File > Import, a single file)
imports an mbox with either line ends. Thunderbird has no mbox import: copy the
mbox, while Thunderbird is closed, into the Mail/Local Folders/ of its profile,
where it shows as a folder named as the file; either line ends work.
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

Progress is drawn on stderr only when it is a terminal, never into a pipe or a
file. Failures are named on stderr, one per line, as "quorvel-convert: PATH:
reason", followed by a summary line; control characters in names are shown as
C escapes (\n, \e, \xHH), in the manner of ls -b. Sizes are in KiB, MiB, GiB.

Exit status: 0 every message written (or skipped as a duplicate); 1 a message
failed or a folder could not be read; 2 usage error, or a destination or
report that cannot be written, found before anything is (nothing written); 130
stopped by SIGINT, SIGTERM or SIGHUP (the record being written is cut back,
what was written is flushed to disk).
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
    const QCommandLineOption unread(QStringLiteral("unread"),
                                    QStringLiteral("Leave the messages unread (they are marked as read)."));
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
    const QCommandLineOption report(QStringLiteral("report"),
                                    QStringLiteral("Write a JSON report of the run to FILE."), QStringLiteral("FILE"));
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")},
                                   QStringLiteral("Print failures only, no summary."));
    const QCommandLineOption verbose({QStringLiteral("v"), QStringLiteral("verbose")},
                                     QStringLiteral("Print one line per message on stdout."));
    const QCommandLineOption progress(QStringLiteral("progress"),
                                      QStringLiteral("Progress line on a terminal: auto (unless -q or -v), always, never."),
                                      QStringLiteral("auto|always|never"));
    const QCommandLineOption version({QStringLiteral("V"), QStringLiteral("version")}, QStringLiteral("Print the version and exit."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Print this help and exit."));
    parser.addOptions({output, relative, single, layout, lineEndings, unread, skipDuplicates, duplicatesBy, filesFrom, nul, dryRun, report, quiet, verbose,
                       progress, version, help});
    parser.addPositionalArgument(QStringLiteral("SOURCE"), QStringLiteral(".eml files and folders to convert."),
                                 QStringLiteral("SOURCE... -o DEST"));

    ParsedCommand parsed;
    auto fail = [&](const QString &message) {
        parsed.action = ParsedCommand::Action::UsageError;
        parsed.text = message;
        return parsed;
    };
    if (!parser.parse(arguments)) {
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
    options.skipDuplicates = parser.isSet(skipDuplicates);
    options.unread = parser.isSet(unread);
    options.dryRun = parser.isSet(dryRun);
    options.quiet = parser.isSet(quiet);
    options.verbose = parser.isSet(verbose);

    if (parser.isSet(lineEndings)) {
        const QString value = parser.value(lineEndings).toLower();
        if (value == QLatin1String("lf"))
            options.lineEnds = LineEnds::Lf;
        else if (value != QLatin1String("crlf"))
            return fail(QStringLiteral("--line-endings takes crlf or lf, not '%1'").arg(shownName(parser.value(lineEndings))));
    }
    if (parser.isSet(layout)) {
        const QString value = parser.value(layout).toLower();
        if (value == QLatin1String("thunderbird"))
            options.layout = OutputLayout::Thunderbird;
        else if (value == QLatin1String("maildir"))
            options.layout = OutputLayout::Maildir;
        else if (value != QLatin1String("mbox"))
            return fail(QStringLiteral("--layout takes mbox, thunderbird or maildir, not '%1'").arg(shownName(parser.value(layout))));
    }
    if (options.layout == OutputLayout::Thunderbird)
        return fail(QStringLiteral("--layout thunderbird is not available yet"));
    // Maildir files are read by mail programs in place, which expect LF alone.
    if (options.layout == OutputLayout::Maildir && !parser.isSet(lineEndings))
        options.lineEnds = LineEnds::Lf;
    if (options.layout == OutputLayout::Maildir && parser.isSet(single))
        return fail(QStringLiteral("--single and --layout maildir cannot be used together"));
    if (parser.isSet(duplicatesBy)) {
        const QString value = parser.value(duplicatesBy).toLower();
        if (value == QLatin1String("message-id"))
            options.duplicates = DuplicateRule::MessageId;
        else if (value != QLatin1String("content"))
            return fail(QStringLiteral("--duplicates-by takes content or message-id, not '%1'").arg(shownName(parser.value(duplicatesBy))));
        if (!options.skipDuplicates)
            return fail(QStringLiteral("--duplicates-by needs --skip-duplicates"));
        // A Maildir file is found again by the hash of its text in its name, unread.
        if (options.duplicates == DuplicateRule::MessageId && options.layout == OutputLayout::Maildir)
            return fail(QStringLiteral("--duplicates-by message-id cannot be used with --layout maildir"));
    }
    if (parser.isSet(progress)) {
        const QString value = parser.value(progress).toLower();
        if (value == QLatin1String("always"))
            options.progress = ProgressMode::Always;
        else if (value == QLatin1String("never"))
            options.progress = ProgressMode::Never;
        else if (value != QLatin1String("auto"))
            return fail(QStringLiteral("--progress takes auto, always or never, not '%1'").arg(shownName(parser.value(progress))));
    }
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
    } else {
        if (options.naming.destination.isEmpty())
            return fail(QStringLiteral("missing destination (-o DEST)"));
        if (parser.isSet(relative))
            options.naming.rule = MboxNaming::Rule::Relative;
    }
    if (parser.isSet(report) && options.reportFile.isEmpty())
        return fail(QStringLiteral("--report needs a file name"));
    // Once here, not once a message.
    if (!options.naming.destination.isEmpty())
        options.naming.destination = absolutePath(options.naming.destination);
    if (!options.naming.singleFile.isEmpty())
        options.naming.singleFile = absolutePath(options.naming.singleFile);
    if (!options.reportFile.isEmpty())
        options.reportFile = absolutePath(options.reportFile);
    return parsed;
}
