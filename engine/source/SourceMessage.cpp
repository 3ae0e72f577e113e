#include "engine/source/SourceMessage.h"

#include "engine/source/EmlxFile.h"
#include "engine/source/PartialEmlx.h"
#include "engine/support/Failure.h"

MessageReader openMessage(const SourceMessage &entry, QStringList *warnings)
{
    switch (entry.kind) {
    case SourceKind::Mbox: {
        MessageReader reader(entry.source, entry.offset, entry.length);
        reader.undoFromQuoting();
        return reader;
    }
    case SourceKind::Emlx:
    case SourceKind::PartialEmlx: {
        const EmlxFile file = EmlxFile::open(entry.source);
        if (!file.failure.isEmpty())
            throw Failure(FailureKind::Other, file.failure);
        if (entry.kind == SourceKind::Emlx)
            return MessageReader(entry.source, file.messageOffset, file.messageLength);
        MessageReader stub(entry.source, file.messageOffset, file.messageLength);
        QByteArray message;
        if (!stub.ok() || !stub.next(message, file.messageLength))
            throw Failure(FailureKind::Other, stub.failure());
        const RestoredMessage restored = restorePartialMessage(message, attachmentsFolderOf(entry.source));
        if (!restored.failure.isEmpty())
            throw Failure(FailureKind::Other, QStringLiteral("cannot read its attachment ") + restored.failure);
        if (!restored.missingParts.isEmpty() && warnings)
            warnings->append(QStringLiteral("incomplete: Apple Mail did not keep the attachment of part ")
                             + restored.missingParts.join(QStringLiteral(", ")));
        return MessageReader::fromBytes(restored.bytes, stub.modified());
    }
    case SourceKind::Eml:
    case SourceKind::Maildir:
    case SourceKind::Unknown:
        break;
    }
    return MessageReader(entry.source);
}
