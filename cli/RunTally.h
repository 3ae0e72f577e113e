#pragma once

#include "engine/source/SourceWalk.h"
#include "engine/verify/SourceDigest.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <functional>

// What one run did, for the summary line and the JSON report.
class RunTally {
public:
    enum class FailureKind { Message, Folder, Mbox };
    struct Failure {
        FailureKind kind;
        QString path;
        QString reason;
    };
    struct Skip {
        QString path;
        QString mbox;    // where its copy is
        qint64 offset;   // of the copy's record; -1: a message listed before it (a dry run)
    };
    struct Warning {
        QString path;
        QString text;
    };
    struct Mbox {
        QString path;
        qint64 records = 0;
        qint64 bytes = 0;
    };
    // A target of the run, an mbox file or a maildir folder, and what became
    // of the messages meant for it.
    struct Folder {
        QString path;
        qint64 written = 0;
        qint64 skipped = 0;
        qint64 failed = 0;
        qint64 bytes = 0;
    };
    enum class Outcome { Written, Skipped, Failed };

    int listed = 0;
    QMap<QString, int> sourceKinds;  // how many messages of each kind (kindName) were listed
    QList<LeftOutFile> leftOut;       // files of walked folders taken for no message
    int written = 0;
    int skipped = 0;
    qint64 bytes = 0;
    bool interrupted = false;
    // What the store's targets are called, one and many (Store::targetWord).
    QString targetOne = QStringLiteral("mbox file");
    QString targetMany = QStringLiteral("mbox files");
    QString targets(qsizetype count) const { return QString::number(count) + QLatin1Char(' ') + (count == 1 ? targetOne : targetMany); }
    // A full or read-only disk ended the run: the messages not tried after it.
    QString stoppedBy;
    int notTried = 0;

    // Where each message went or was found, for --verify, in list order.
    struct Placed {
        SourceMessage source;
        QString target;
        bool skipped = false;
    };
    bool keepPlaces = false;
    // Told of each source as it is placed: --verify reads it then, beside the run.
    std::function<void(const SourceMessage &source)> onPlaced;
    void placed(const SourceMessage &source, const QString &target, bool skipped)
    {
        if (!keepPlaces)
            return;
        places_.append({source, target, skipped});
        if (onPlaced)
            onPlaced(source);
    }
    const QList<Placed> &places() const { return places_; }

    // What --verify or --verify-only found.
    struct Mismatch {
        QString path;
        QString target;
        QString what;    // missing, changed, unreadable
        QString detail;
    };
    bool verifyRan = false;
    int verifyChecked = 0;
    int verified = 0;
    int verifyTargets = 0;
    void mismatched(const Mismatch &mismatch) { mismatches_.append(mismatch); }
    const QList<Mismatch> &mismatches() const { return mismatches_; }
    // Where a second reading of an mbox source split it otherwise than the
    // run did: not a failure, as either reading may be the one that is wrong.
    struct VerifyWarning {
        QString path;
        qint64 line;  // 1-based; 0: none
        QString what;
    };
    void verifyWarned(const VerifyWarning &warning) { verifyWarnings_.append(warning); }
    const QList<VerifyWarning> &verifyWarnings() const { return verifyWarnings_; }

    void noteWritten(const QString &mboxFile, qint64 recordBytes);
    void noteSkipped(const QString &source, const QString &mboxFile, qint64 offset)
    {
        ++skipped;
        skips_.append({source, mboxFile, offset});
    }
    void warned(const QString &source, const QString &text) { warnings_.append({source, text}); }
    void failed(FailureKind kind, const QString &path, const QString &reason) { failures_.append({kind, path, reason}); }
    // Not a failure: the run went on and appended behind the repair.
    void repaired(const QString &mboxFile, const QString &text) { repairs_.append({mboxFile, text}); }

    void countIn(const QString &folder, Outcome outcome, qint64 bytes = 0);

    // In first-use order.
    const QList<Mbox> &mboxes() const { return mboxes_; }
    const QList<Folder> &folders() const { return folders_; }
    const QList<Failure> &failures() const { return failures_; }
    const QList<Skip> &skips() const { return skips_; }
    const QList<Warning> &warnings() const { return warnings_; }
    struct Repair {
        QString path;
        QString text;
    };
    const QList<Repair> &repairs() const { return repairs_; }
    int failedMessages() const;
    // Every message was written or skipped, and nothing else went wrong.
    bool clean() const { return failures_.isEmpty() && written + skipped == listed && mismatches_.isEmpty(); }

private:
    QList<Mbox> mboxes_;
    QHash<QString, qsizetype> mboxIndex_;
    QList<Folder> folders_;
    QHash<QString, qsizetype> folderIndex_;
    QList<Failure> failures_;
    QList<Skip> skips_;
    QList<Warning> warnings_;
    QList<Repair> repairs_;
    QList<Placed> places_;
    QList<Mismatch> mismatches_;
    QList<VerifyWarning> verifyWarnings_;
};
