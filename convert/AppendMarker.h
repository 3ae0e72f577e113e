#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The side file that makes an append recoverable: written before a record's
// first byte goes into the mbox, removed once its last byte is there. It names
// the mbox's length before the record and the record's first bytes, so that a
// later run finding it after a crash can cut off exactly the torn record, and
// only when that record is really there.
class AppendMarker {
public:
    // ".<name>.append" beside the mbox file.
    explicit AppendMarker(const QString &mboxPath);

    struct Found {
        bool present = false;
        bool readable = false;   // a marker torn while it was written was written before any mbox byte
        qint64 length = 0;       // of the mbox before the record
        QByteArray recordStart;  // the record's first bytes (some of them)
    };
    Found Read() const;

    // Empty text when written, else why not.
    QString Write(qint64 length, QByteArrayView recordStart) const;
    void Remove() const;

    // The marker holds no more of the record's start than this.
    static constexpr qsizetype RecordStartKept = 1024;

private:
    QByteArray native_;
};
