#include "engine/verify/Verification.h"

#include "engine/support/FileNames.h"
#include "engine/support/Yielder.h"
#include "engine/verify/SourceDigest.h"
#include "engine/verify/SourceText.h"
#include "engine/verify/MboxReader.h"
#include "engine/verify/TargetReader.h"

#include <QHash>
#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <sys/stat.h>

namespace {

// A target's messages, a few dozen bytes each however long they are: an mbox
// of a million records is held in tens of MB.
struct TargetContents {
    struct Kept {
        qint64 length;
        quint64 key;  // keyHash of the digest's key; 0: none
        qint64 offset;
        QString file;  // shared by all the records of an mbox
        bool whole;
        bool keyIsMessageId;
        bool used = false;
    };
    QString failure;
    QList<Kept> messages;
    QHash<TextKey, qsizetype> nextUnused;  // per text of a whole record: the first not taken yet, or -1
    QList<qsizetype> sameTextAfter;        // per record: the next one with its text not taken yet, or -1

    // The index of a record with this text that no message took yet, now
    // taken, or -1.
    qsizetype take(const TextKey &text)
    {
        const auto found = nextUnused.find(text);
        if (found == nextUnused.end() || *found < 0)
            return -1;
        const qsizetype taken = *found;
        *found = sameTextAfter[taken];
        messages[taken].used = true;
        return taken;
    }
    bool holds(const TextKey &text) const { return nextUnused.contains(text); }
};

TargetContents readTarget(const TargetReader &reader, const QString &container, Yielder &yielder)
{
    TargetContents contents;
    QHash<TextKey, qsizetype> lastOf;  // records of one text are taken in file order
    contents.failure = reader.read(container, [&](const StoredMessage &message) {
        const qsizetype index = contents.messages.size();
        const QByteArray &key = message.digest.key;
        contents.messages.append({message.digest.length, keyHash(key), message.offset, message.file, message.whole,
                                  key.left(11).toLower() == "message-id:"});
        contents.sameTextAfter.append(-1);
        if (!message.whole)
            return;
        const TextKey text(message.digest);
        if (const auto last = lastOf.find(text); last != lastOf.end()) {
            contents.sameTextAfter[*last] = index;
            *last = index;
        } else {
            contents.nextUnused.insert(text, index);
            lastOf.insert(text, index);
        }
    }, yielder);
    return contents;
}

VerifyMismatch mismatchOf(const VerifyEntry &entry, VerifyMismatch::Kind kind, const QString &detail)
{
    const QString which = entry.source.kind == SourceKind::Mbox
                              ? QStringLiteral("its message at byte %1: ").arg(entry.source.offset)
                              : QString();
    return {entry.source.source, entry.target, kind, which + detail};
}

QString sizes(qint64 stored, qint64 source)
{
    return QStringLiteral("%1 bytes against the source's %2, line ends aside").arg(stored).arg(source);
}

} // namespace

QString mismatchKindName(VerifyMismatch::Kind kind)
{
    switch (kind) {
    case VerifyMismatch::Kind::Changed:
        return QStringLiteral("changed");
    case VerifyMismatch::Kind::Unreadable:
        return QStringLiteral("unreadable");
    case VerifyMismatch::Kind::Missing:
        break;
    }
    return QStringLiteral("missing");
}

namespace {

// A target read on a thread of its own, told to stop when no longer wanted.
class TargetReading {
public:
    TargetReading(const TargetReader &reader, const QString &container)
        : stopYielder_(stop_),
          future_(std::async(std::launch::async, [&reader, container, this] { return readTarget(reader, container, stopYielder_); }))
    {
    }
    ~TargetReading()
    {
        stop_ = true;
        if (future_.valid())
            future_.wait();
    }
    TargetContents get(Yielder &yielder)
    {
        while (future_.wait_for(std::chrono::milliseconds(2)) != std::future_status::ready)
            yielder.yield();
        return future_.get();
    }

private:
    std::atomic<bool> stop_ = false;
    StopFlagYielder stopYielder_;
    std::future<TargetContents> future_;
};

} // namespace

VerifyResult verifyEntries(const QList<VerifyEntry> &entries, const VerifyRules &rules, Yielder &yielder,
                           const std::function<void(int done, int total)> &progress, const QList<SourceText> *texts)
{
    const MboxReader mboxFiles;
    const TargetReader *const reader = rules.reader ? rules.reader : &mboxFiles;
    VerifyResult result;
    result.checked = int(entries.size());
    // A target is read once, whatever order its entries come in.
    QHash<QString, QList<qsizetype>> byContainer;
    for (qsizetype k = 0; k < entries.size(); ++k) {
        const QString container = reader->containerOf(entries[k].target);
        auto found = byContainer.find(container);
        if (found == byContainer.end()) {
            result.targets.append(container);
            found = byContainer.insert(container, {});
        }
        found->append(k);
    }
    int done = 0;
    // Each target is read beside the work on the one before it.
    std::unique_ptr<TargetReading> next;
    for (qsizetype t = 0; t < result.targets.size(); ++t) {
        const QString &container = result.targets[t];
        const QList<qsizetype> &members = byContainer[container];
        const std::unique_ptr<TargetReading> reading = next ? std::move(next) : std::make_unique<TargetReading>(*reader, container);
        if (t + 1 < result.targets.size())
            next = std::make_unique<TargetReading>(*reader, result.targets[t + 1]);

        QList<SourceText> sources;
        sources.reserve(members.size());
        for (const qsizetype k : members) {
            if (texts) {
                sources.append(texts->at(k));
            } else {
                SourceText source;
                const TextDigest digest = digestOfSource(entries[k].source, yielder, &source.failure);
                source.text = TextKey(digest);
                source.key = keyHash(digest.key);
                sources.append(source);
                yielder.yield();
            }
        }
        TargetContents contents = reading->get(yielder);
        struct stat info {};
        const bool existing = ::lstat(nativeName(container).constData(), &info) == 0;

        QList<qsizetype> unmatched;  // indices into members
        for (qsizetype n = 0; n < members.size(); ++n) {
            const VerifyEntry &entry = entries[members[n]];
            const SourceText &source = sources[n];
            auto mismatch = [&](VerifyMismatch::Kind kind, const QString &detail) {
                result.mismatches.append(mismatchOf(entry, kind, detail));
            };
            if (!contents.failure.isEmpty() && !existing)
                mismatch(VerifyMismatch::Kind::Missing, QStringLiteral("there is no ") + container);
            else if (!contents.failure.isEmpty())
                mismatch(VerifyMismatch::Kind::Unreadable, QStringLiteral("cannot read ") + container + QStringLiteral(": ") + contents.failure);
            else if (!source.failure.isEmpty())
                mismatch(VerifyMismatch::Kind::Unreadable, QStringLiteral("cannot read the source: ") + source.failure);
            else if (entry.skipped && contents.holds(source.text))
                ++result.verified;  // its copy may be another message's record too: it takes none
            else if (!entry.skipped && contents.take(source.text) >= 0)
                ++result.verified;
            else
                unmatched.append(n);
            if (progress)
                progress(++done, result.checked);
        }
        // Only now is it known which records no message took: the ones a changed message may be in.
        QHash<quint64, QList<qsizetype>> byKey;
        if (!unmatched.isEmpty())
            for (qsizetype m = 0; m < contents.messages.size(); ++m)
                if (contents.messages[m].key != 0)
                    byKey[contents.messages[m].key].append(m);
        for (const qsizetype n : std::as_const(unmatched)) {
            const VerifyEntry &entry = entries[members[n]];
            const SourceText &source = sources[n];
            bool copyById = false;
            qsizetype namesake = -1;
            for (const qsizetype m : byKey.value(source.key)) {
                copyById = copyById || contents.messages[m].keyIsMessageId;
                if (!contents.messages[m].used && namesake < 0)
                    namesake = m;
            }
            if (entry.skipped && rules.duplicates == DuplicateRule::MessageId && copyById) {
                ++result.verified;
                continue;
            }
            if (namesake >= 0) {
                contents.messages[namesake].used = true;
                const TargetContents::Kept &kept = contents.messages[namesake];
                const QString how = kept.whole ? sizes(kept.length, source.text.length)
                                               : QStringLiteral("it is cut short, without its closing empty line");
                result.mismatches.append(mismatchOf(entry, VerifyMismatch::Kind::Changed,
                                          reader->placeOf({{}, kept.file, kept.offset, kept.whole}) + QStringLiteral(" has the same ")
                                              + QLatin1String(kept.keyIsMessageId ? "Message-ID" : "Date")
                                              + QStringLiteral(" but other text: ") + how));
            } else {
                result.mismatches.append(mismatchOf(entry, VerifyMismatch::Kind::Missing,
                                                    QStringLiteral("no message in ") + container + QStringLiteral(" has its text")));
            }
        }
    }
    return result;
}
