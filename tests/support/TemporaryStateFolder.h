#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// Points the user's state folder (XDG_STATE_HOME) at a temporary folder while
// it lives, so report files land there and never in the tester's home.
class TemporaryStateFolder {
public:
    TemporaryStateFolder() : previous_(qgetenv("XDG_STATE_HOME")) { qputenv("XDG_STATE_HOME", QFile::encodeName(dir_.path())); }
    ~TemporaryStateFolder() { previous_.isEmpty() ? qunsetenv("XDG_STATE_HOME") : qputenv("XDG_STATE_HOME", previous_); }

    QString path() const { return dir_.path(); }
    QString reportFolder() const { return dir_.path() + QStringLiteral("/quorvel"); }
    QStringList reports() const { return QDir(reportFolder()).entryList(QDir::Files, QDir::Name); }

private:
    QTemporaryDir dir_;
    QByteArray previous_;
};
