#pragma once

#include "engine/layout/MaildirNaming.h"
#include "engine/mbox/OutputTarget.h"

#include <QHash>
#include <QString>

// How a run names the mbox file of each message: the rule as data, the same
// for the window, the command, its dry run and its report checks.
struct MboxNaming {
    enum class Rule {
        Mirror,    // the source folder's absolute path below destination, as the window does
        Relative,  // the source's path from its listed folder's own name on, below destination
        Single,    // every message into singleFile
        Thunderbird,  // as Relative, in Thunderbird's folder tree below destination (ThunderbirdNaming)
    };
    Rule rule = Rule::Mirror;
    QString destination;  // Mirror and Relative
    QString singleFile;   // Single
    // Thunderbird: top folders written under another name (a new name where one is taken).
    QHash<QString, QString> topNames;

    static MboxNaming mirror(const QString &destination) { return {Rule::Mirror, destination, {}, {}}; }
    static MboxNaming single(const QString &file) { return {Rule::Single, {}, file, {}}; }

    // nameStart is where the listed folder's own name begins in source
    // (Relative and Thunderbird). Throws Failure (NoMboxName) when no mbox
    // name can be made from the path.
    OutputTarget targetFor(const QString &source, qsizetype nameStart = 0) const;
    // The user named the mbox himself: a symbolic link there is his to follow.
    bool namedByUser() const { return rule == Rule::Single; }
};

// The mirror rule: the mbox of sourcePath's folder, named after that folder,
// with the folder's absolute path below destination.
OutputTarget outputFor(const QString &sourcePath, const QString &destination);

// The Maildir++ folder of source's messages: the folder levels come from the
// naming rule as the mbox layout takes them (the absolute path, or from the
// listed folder's own name on); --single has no folders. A first level named
// "Inbox" in any letter case is the INBOX itself, as IMAP takes that name.
MaildirTarget maildirTargetFor(const MboxNaming &naming, const QString &source, qsizetype nameStart = 0);
