#pragma once

#include <QList>
#include <QString>

class Yielder;

// An mbox source as a run read it: the offset just after each separator line
// it took, so the first byte of each message.
struct MboxSplit {
    QString path;
    QList<qint64> starts;
};

// A place where the run's reading of an mbox and the second one (FromLineScan) disagree.
struct MboxSplitWarning {
    enum class Kind {
        ReadAsBody,     // a "From " line and a header line, inside a message: two messages joined?
        NoHeaderAfter,  // a separator the run took that no header line follows: one message cut in two?
        NoFromLine,     // the run began a message after no "From " line: the file changed since?
        Unreadable,     // the file could not be read a second time
    };
    QString path;
    Kind kind = Kind::ReadAsBody;
    qint64 line = 0;     // 1-based; 0 for the kinds without a line
    qint64 offset = -1;  // NoFromLine: the message's first byte
    QString reason;      // Unreadable
    // In words, without the file's name.
    QString text() const;
};

// Reads the file a second time and names every line where the two readings differ, in file order.
QList<MboxSplitWarning> checkMboxSplit(const MboxSplit &split, Yielder &yielder);
