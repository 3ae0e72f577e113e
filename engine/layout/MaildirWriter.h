#pragma once

#include "engine/message/MessageReader.h"
#include "engine/source/MessageFlags.h"

#include "engine/layout/MaildirIndex.h"
#include "engine/layout/MaildirNaming.h"
#include "engine/support/ConversionFailure.h"
#include "engine/support/FileDescriptor.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <optional>
#include <functional>
#include <map>
#include <sys/types.h>
#include <unistd.h>

struct MaildirRules {
    bool crlf = false;            // CR LF line ends, else LF
    bool unread = false;          // into new/ without flags, else into cur/ marked seen
    bool skipDuplicates = false;  // a text already in its folder is not written again
};

// What became of one message.
struct MaildirOutcome {
    QString reason;   // why it was not written; empty when it was or was skipped
    int error = 0;    // the errno behind the reason, when there is one
    bool skipped = false;
    QString file;     // the message's file, or the copy it was skipped for
    qint64 bytes = 0;
};

// Writes messages into a Maildir++ tree, one file each: into tmp/, given the
// message's date as its modification time (Dovecot's received date), then
// renamed into cur/ (or new/) once its data is on the disk. The disk is
// synced once for a batch of messages rather than once for each: a file
// system sync costs as much as a file's. Nothing but whole, synced files ever
// shows in cur/ or new/; finish() syncs the renames too, and so does the
// destructor when a run is interrupted before it.
class MaildirWriter {
public:
    explicit MaildirWriter(MaildirRules rules) : rules_(rules) {}
    ~MaildirWriter();
    MaildirWriter(const MaildirWriter &) = delete;
    MaildirWriter &operator=(const MaildirWriter &) = delete;

    // One message, dated seconds. piece holds its first piece, read from
    // reader (the run opened source as its kind holds it), and is a buffer
    // kept from one message to the next. text is told every piece read;
    // progress the bytes of the source read so far, and is a yield point (it
    // may throw Interrupted; the unfinished file is removed). flags, when the
    // source kept them, name it in place of "read".
    MaildirOutcome write(const MaildirTarget &target, const QString &source, MessageReader &reader, QByteArray &piece,
                         qint64 seconds, const std::optional<MessageFlags> &flags,
                         const std::function<void(QByteArrayView piece)> &text,
                         const std::function<void(qint64 read)> &progress);
    // The messages written but not yet in place are moved in, and the disk synced.
    QList<ConversionFailure> finish();

    static constexpr int BatchFiles = 2048;
    static constexpr qint64 BatchBytes = 64 * 1024 * 1024;

private:
    struct Pending {
        QString source;
        QString folder;
        QByteArray tmpPath;
        QByteArray hash;
        qint64 seconds;
        QString file;  // where it goes, as told
        QString letters;  // its flags, as the name gives them
    };
    QString prepare(const MaildirTarget &target, int &error);
    QString syncDisks();
    void moveIn(QList<ConversionFailure> &failures);
    QString finalPath(const QString &folder, const QByteArray &baseName, const QString &letters) const;
    QString lettersOf(const std::optional<MessageFlags> &flags) const;

    MaildirRules rules_;
    MaildirIndex index_;
    QSet<QString> prepared_;
    std::map<dev_t, FileDescriptor> disks_;  // a folder on each file system written to, for syncfs
    QList<Pending> pending_;
    qint64 pendingBytes_ = 0;
    QList<ConversionFailure> failures_;
    quint64 tmpCounter_ = 0;
    QByteArray processId_ = QByteArray::number(::getpid());
};
