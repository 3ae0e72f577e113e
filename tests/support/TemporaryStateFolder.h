#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Points the user's state folder (XDG_STATE_HOME) at a temporary folder while
// it lives, so report files land there and never in the tester's home.
class TemporaryStateFolder {
public:
    TemporaryStateFolder() : hadPrevious_(qEnvironmentVariableIsSet("XDG_STATE_HOME")), previous_(qgetenv("XDG_STATE_HOME"))
    {
        qputenv("XDG_STATE_HOME", QFile::encodeName(dir_.path()));
    }
    ~TemporaryStateFolder()
    {
        if (hadPrevious_)
            qputenv("XDG_STATE_HOME", previous_);
        else
            qunsetenv("XDG_STATE_HOME");
    }
    TemporaryStateFolder(const TemporaryStateFolder &) = delete;
    TemporaryStateFolder &operator=(const TemporaryStateFolder &) = delete;

    QString path() const { return dir_.path(); }
    QString reportFolder() const { return dir_.path() + QStringLiteral("/quorvel"); }
    // The names of the report files written so far, sorted.
    QStringList reports() const { return QDir(reportFolder()).entryList(QDir::Files, QDir::Name); }

private:
    QTemporaryDir dir_;
    bool hadPrevious_;
    QByteArray previous_;
};
