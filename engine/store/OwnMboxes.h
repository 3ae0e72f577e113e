#pragma once

#include <QSet>
#include <QString>
#include <utility>

// The files a run appends to, by device and inode, so that one of them listed
// among the run's messages is not read as a message: appending an mbox to
// itself would grow it until the disk is full. Links and other names of the
// same file are the same file.
class OwnMboxes {
public:
    void add(const QString &mboxPath);  // a file not there yet is not one
    bool holds(const QString &path) const;

private:
    QSet<std::pair<quint64, quint64>> files_;
};
