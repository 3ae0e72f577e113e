#pragma once

#include "engine/support/Failure.h"

#include <QString>
#include <stdexcept>

// A failure as the user sees it: an error number and its description.
class RunTimeError : public std::runtime_error {
public:
    RunTimeError(int number, const QString &description)
        : std::runtime_error(description.toStdString()), number_(number), description_(description) {}

    int Number() const { return number_; }
    QString Description() const { return description_; }
    // "number:description", the form the error boxes show.
    QString Text() const { return QString::number(number_) + QLatin1Char(':') + description_; }

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

// An engine failure as the window shows it: the kinds it has always numbered
// in "number:description", the others in words.
inline QString WindowText(FailureKind kind, const QString &reason)
{
    switch (kind) {
    case FailureKind::NoMboxName:
        return RunTimeError(ErrorNumber::SubscriptOutOfRange, QStringLiteral("Subscript out of range")).Text();
    case FailureKind::Unreadable:
        return RunTimeError(ErrorNumber::PathFileAccess, reason).Text();
    case FailureKind::Other:
        break;
    }
    return reason;
}
