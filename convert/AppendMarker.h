#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The side file that makes an append recoverable: it names the mbox's length
// before a record and the record's first bytes, written before the record's
// first byte goes into the mbox and emptied once its last byte is there. A
// later append finding it full after a crash can cut off exactly the torn
// record, and only when that record is really there. An empty or torn marker
// means that no mbox byte was written under it. Used under the mbox's lock.
//
// Emptied rather than removed between the records of a series: a file made and
// removed per record costs more than the record itself when messages are small.
class AppendMarker {
public:
    // ".<name>.append" beside the mbox file.
    explicit AppendMarker(const QString &mboxPath);
    ~AppendMarker();
    AppendMarker(const AppendMarker &) = delete;
    AppendMarker &operator=(const AppendMarker &) = delete;

    struct Found {
        bool present = false;    // and not empty
        bool readable = false;   // a marker torn while it was written was written before any mbox byte
        qint64 length = 0;       // of the mbox before the record
        QByteArray recordStart;  // the record's first bytes (some of them)
    };
    Found Read();

    // Empty text when written, else why not.
    QString Write(qint64 length, QByteArrayView recordStart);
    // The record is whole, or cut off again.
    void Clear();
    // At the end of a series: an emptied marker is removed.
    void RemoveIfEmpty();

    // The marker holds no more of the record's start than this.
    static constexpr qsizetype RecordStartKept = 1024;

private:
    void Close();

    QByteArray native_;
    int fd_ = -1;
};
