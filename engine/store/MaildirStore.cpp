#include "engine/store/MaildirStore.h"

#include "engine/layout/MaildirText.h"
#include "engine/support/Yielder.h"
#include "engine/verify/MaildirReader.h"

MaildirStore::MaildirStore(const ConversionRules &rules) : rules_(rules) {}

QString MaildirStore::targetOf(const SourceMessage &message) const
{
    return maildirOf(message).folder;
}

QString MaildirStore::targetWord(qsizetype count) const
{
    return count == 1 ? QStringLiteral("Maildir folder") : QStringLiteral("Maildir folders");
}

const MaildirTarget &MaildirStore::maildirOf(const SourceMessage &message) const
{
    const QString &namedPath = message.namedPath();
    const QStringView sourceFolder = QStringView(namedPath).left(namedPath.lastIndexOf(QLatin1Char('/')) + 1);
    if (sourceFolder != lastSourceFolder_ || message.nameStart != lastNameStart_) {
        lastMaildir_ = maildirTargetFor(rules_.naming, namedPath, message.nameStart);
        lastSourceFolder_ = sourceFolder.toString();
        lastNameStart_ = message.nameStart;
    }
    return lastMaildir_;
}

StoreOutcome MaildirStore::write(MessageInput &input)
{
    if (!writer_)
        writer_.emplace(MaildirRules{.crlf = !rules_.lfLineEnds, .unread = rules_.unread, .skipDuplicates = rules_.skipDuplicates});
    const MaildirOutcome done = writer_->write(maildirOf(input.message), input.message.source, input.reader, input.piece,
                                               input.date.toSecsSinceEpoch(), input.message.flags, input.text, input.progress);
    StoreOutcome outcome;
    outcome.reason = done.reason;
    outcome.error = done.error;
    outcome.skipped = done.skipped;
    outcome.file = done.file;
    outcome.bytes = done.bytes;
    outcome.match = done.skipped ? 0 : -1;
    return outcome;
}

QList<ConversionFailure> MaildirStore::finish(Yielder &yielder)
{
    Q_UNUSED(yielder)
    if (!writer_)
        return {};
    QList<ConversionFailure> failures = writer_->finish();
    writer_.reset();
    return failures;
}

StoreOutcome MaildirStore::findCopy(const SourceMessage &message, Yielder &yielder)
{
    const QString folder = maildirTargetFor(rules_.naming, message.namedPath(), message.nameStart).folder;
    MessageReader reader = openMessage(message);
    const QByteArray hash = maildirHashOf(reader, [&] { yielder.yield(); });
    StoreOutcome found;
    if (const QString copy = listed_.copyOf(folder, hash); !copy.isEmpty()) {
        found.file = copy.startsWith(folder) ? copy : folder;
        found.match = copy.startsWith(folder) ? 0 : -2;
        return found;
    }
    listed_.add(folder, hash, {}, QStringLiteral("-"));
    return found;
}

std::unique_ptr<TargetReader> MaildirStore::reader() const
{
    return std::make_unique<MaildirReader>();
}
