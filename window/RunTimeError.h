#pragma once

#include "engine/support/Failure.h"

#include <QString>
#include <stdexcept>

// A failure as the user sees it: an error number and its description.
class RunTimeError : public std::runtime_error {
public:
    RunTimeError(int number, const QString &description)
        : std::runtime_error(description.toStdString()), number_(number), description_(description) {}

    int number() const { return number_; }
    QString description() const { return description_; }
    // "number:description", the form the error boxes show.
    QString text() const { return QString::number(number_) + QLatin1Char(':') + description_; }

private:
    int number_;
    QString description_;
};

namespace ErrorNumber {
constexpr int Overflow = 6;
constexpr int SubscriptOutOfRange = 9;
constexpr int AlreadyRunning = 10;
constexpr int FileNotFound = 53;
constexpr int PathFileAccess = 75;
constexpr int PathNotFound = 76;
constexpr int ObjectNotSet = 91;
constexpr int DuplicateKey = 457;
constexpr int BufferTooSmall = 20476;
}

// An engine failure under the number and the description the window's
// boxes have always shown for its kind; a kind without a number keeps its words.
inline QString windowText(FailureKind kind, const QString &reason)
{
    switch (kind) {
    case FailureKind::NoMboxName:
    case FailureKind::NoSuchItem:
        return RunTimeError(ErrorNumber::SubscriptOutOfRange, QStringLiteral("Subscript out of range")).text();
    case FailureKind::Unreadable:
        return RunTimeError(ErrorNumber::PathFileAccess, reason).text();
    case FailureKind::Overflow:
        return RunTimeError(ErrorNumber::Overflow, QStringLiteral("Overflow")).text();
    case FailureKind::DuplicateKey:
        return RunTimeError(ErrorNumber::DuplicateKey,
                            QStringLiteral("This key is already associated with an element of this collection")).text();
    case FailureKind::NoFileSystem:
        return RunTimeError(ErrorNumber::ObjectNotSet, QStringLiteral("Object variable or With block variable not set")).text();
    case FailureKind::AlreadyRunning:
        return RunTimeError(ErrorNumber::AlreadyRunning, QStringLiteral("A conversion is already running")).text();
    case FailureKind::Other:
        break;
    }
    return reason;
}
