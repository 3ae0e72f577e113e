#include "engine/verify/Verification.h"

#include "engine/support/Yielder.h"
#include "engine/verify/SourceDigest.h"
#include "engine/verify/TargetReader.h"

#include <QHash>

namespace {

struct TargetContents {
    QString failure;
    QList<StoredMessage> messages;
    QList<bool> used;
    QHash<QByteArray, QList<qsizetype>> bySameText;  // whole records only, latest last
};

TargetContents readTarget(const TargetReader &reader, const QString &container, Yielder &yielder)
{
    TargetContents contents;
    contents.failure = reader.read(container, [&](const StoredMessage &message) {
        if (message.whole)
            contents.bySameText[message.digest.sameText()].append(contents.messages.size());
        contents.messages.append(message);
    }, yielder);
    contents.used.fill(false, contents.messages.size());
    return contents;
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

VerifyResult verifyEntries(const QList<VerifyEntry> &entries, const VerifyRules &rules, Yielder &yielder,
                           const std::function<void(int done, int total)> &progress)
{
    const std::unique_ptr<TargetReader> reader = TargetReader::forLayout(rules.layout);
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
    for (const QString &container : std::as_const(result.targets)) {
        TargetContents contents = readTarget(*reader, container, yielder);
        struct Unmatched {
            qsizetype entry;
            TextDigest digest;
        };
        QList<Unmatched> unmatched;
        for (const qsizetype k : std::as_const(byContainer[container])) {
            const VerifyEntry &entry = entries[k];
            auto mismatch = [&](VerifyMismatch::Kind kind, const QString &detail) {
                result.mismatches.append({entry.source, entry.target, kind, detail});
            };
            if (!contents.failure.isEmpty()) {
                mismatch(VerifyMismatch::Kind::Unreadable, QStringLiteral("cannot read ") + container + QStringLiteral(": ") + contents.failure);
            } else {
                QString failure;
                const TextDigest digest = digestOfMessageFile(entry.source, yielder, &failure);
                const auto copies = failure.isEmpty() ? contents.bySameText.find(digest.sameText()) : contents.bySameText.end();
                if (!failure.isEmpty()) {
                    mismatch(VerifyMismatch::Kind::Unreadable, QStringLiteral("cannot read the source: ") + failure);
                } else if (entry.skipped && contents.bySameText.contains(digest.sameText())) {
                    ++result.verified;  // its copy may be another message's record too: it takes none
                } else if (!entry.skipped && copies != contents.bySameText.end() && !copies->isEmpty()) {
                    contents.used[copies->takeFirst()] = true;
                    ++result.verified;
                } else {
                    unmatched.append({k, digest});
                }
            }
            if (progress)
                progress(++done, result.checked);
            yielder.yield();
        }
        // Only now is it known which records no message took: the ones a changed message may be in.
        QHash<QByteArray, QList<qsizetype>> byKey;
        if (!unmatched.isEmpty())
            for (qsizetype m = 0; m < contents.messages.size(); ++m)
                if (!contents.messages[m].digest.key.isEmpty())
                    byKey[contents.messages[m].digest.key].append(m);
        for (const Unmatched &each : std::as_const(unmatched)) {
            const VerifyEntry &entry = entries[each.entry];
            const QByteArray &key = each.digest.key;
            bool copyById = false;
            qsizetype namesake = -1;
            for (const qsizetype m : byKey.value(key)) {
                copyById = copyById || key.toLower().startsWith("message-id");
                if (!contents.used[m] && namesake < 0)
                    namesake = m;
            }
            if (entry.skipped && rules.duplicates == DuplicateRule::MessageId && copyById) {
                ++result.verified;
                continue;
            }
            if (namesake >= 0) {
                contents.used[namesake] = true;
                const StoredMessage &stored = contents.messages[namesake];
                const QString how = stored.whole ? sizes(stored.digest.length, each.digest.length)
                                                 : QStringLiteral("it is cut short, without its closing empty line");
                result.mismatches.append({entry.source, entry.target, VerifyMismatch::Kind::Changed,
                                          reader->placeOf(stored) + QStringLiteral(" has the same ")
                                              + QString::fromLatin1(key.left(key.indexOf(':')))
                                              + QStringLiteral(" but other text: ") + how});
            } else {
                result.mismatches.append({entry.source, entry.target, VerifyMismatch::Kind::Missing,
                                          QStringLiteral("no message in ") + container + QStringLiteral(" has its text")});
            }
        }
    }
    return result;
}
