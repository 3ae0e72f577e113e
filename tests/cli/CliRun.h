#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>

// One run of the real quorvel-convert, its output captured through pipes.
struct CliRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

inline QString cliPath()
{
    return QStringLiteral(QUORVEL_CONVERT_PROGRAM);
}

inline CliRun runCli(const QStringList &arguments, const QString &workingFolder = {}, const QByteArray &input = {})
{
    QProcess process;
    if (!workingFolder.isEmpty())
        process.setWorkingDirectory(workingFolder);
    process.start(cliPath(), arguments);
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(120000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
            process.readAllStandardError()};
}
