#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A temporary folder tree for tests, removed when it goes out of scope.
class TempTree {
public:
    TempTree();
    bool isValid() const { return dir_.isValid(); }
    // The root, without a trailing "/".
    QString root() const { return dir_.path(); }
    // root + "/" + relative
    QString path(const QString &relative) const;
    // Creates the file (and its folders) with the given bytes; returns its path.
    QString file(const QString &relative, const QByteArray &content = {});
    // Creates the folder (and its parents); returns its path.
    QString folder(const QString &relative);
    static QByteArray read(const QString &path);

private:
    QTemporaryDir dir_;
};
