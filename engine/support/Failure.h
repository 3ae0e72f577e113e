#pragma once

#include <QString>
#include <stdexcept>

// What went wrong, beside the reason in words, for a front end that tells
// some kinds apart.
enum class FailureKind {
    Other,           // the reason is all there is
    NoMboxName,      // no mbox name can be made from a message's path
    Unreadable,      // a message or an mbox could not be read to compare them
    NoSuchItem,      // a position or a path part that is not there
    Overflow,        // a count past its largest value
    DuplicateKey,    // a key a list holds already
    NoFileSystem,    // a walk started without its file system
    AlreadyRunning,  // a run started while another one goes on
};

// Thrown where the engine cannot go on with one message. Functions that can
// fail otherwise return their reason as text, empty when all went well.
class Failure : public std::runtime_error {
public:
    Failure(FailureKind kind, const QString &reason)
        : std::runtime_error(reason.toStdString()), kind_(kind), reason_(reason) {}

    FailureKind kind() const { return kind_; }
    QString reason() const { return reason_; }

private:
    FailureKind kind_;
    QString reason_;
};

// Why targetFor refuses a path, in words.
inline QString noMboxNameReason()
{
    return QStringLiteral("no mbox name can be made from the path: its mbox would be in the root folder, which has no name");
}
