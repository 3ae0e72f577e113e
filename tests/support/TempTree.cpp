#include "TempTree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TempTree::TempTree() = default;

QString TempTree::path(const QString &relative) const
{
    return dir_.path() + QLatin1Char('/') + relative;
}

QString TempTree::file(const QString &relative, const QByteArray &content)
{
    const QString full = path(relative);
    QDir().mkpath(QFileInfo(full).path());
    QFile out(full);
    if (!out.open(QIODevice::WriteOnly) || out.write(content) != content.size())
        qFatal("cannot write test file %s", qPrintable(full));
    return full;
}

QString TempTree::folder(const QString &relative)
{
    const QString full = path(relative);
    QDir().mkpath(full);
    return full;
}

QByteArray TempTree::read(const QString &path)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return {};
    return in.readAll();
}
