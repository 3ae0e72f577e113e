#pragma once

#include <QString>
#include <QStringList>

// The paths of a --files-from list: one a line, or separated by NUL bytes
// (--null), as find -print0, tar and rsync write them. Empty entries are
// passed over. "-" is standard input.
struct [[nodiscard]] PathList {
    QStringList paths;
    QString problem;  // "LIST: reason" when the list cannot be used; then paths is empty
};

PathList readPathList(const QString &file, bool nulSeparated);
