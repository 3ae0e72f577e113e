#include "engine/run/SourceEntries.h"

#include "engine/source/EmlxFile.h"
#include "engine/source/MaildirName.h"
#include "engine/source/MboxSource.h"
#include "engine/support/Yielder.h"

QList<ConversionEntry> sourceEntries(const TypedListing &listing, Yielder &yielder, QList<LeftOutFile> &unreadable)
{
    QList<ConversionEntry> entries;
    entries.reserve(listing.files.size());
    for (const SourceFile &file : listing.files) {
        ConversionEntry entry{file.path, {}, file.nameStart, file.kind, file.namePath == file.path ? QString() : file.namePath};
        if (file.kind == SourceKind::Maildir)
            entry.flags = maildirFlags(file.path.mid(file.path.lastIndexOf(QLatin1Char('/')) + 1));
        if (file.kind == SourceKind::Emlx || file.kind == SourceKind::PartialEmlx)
            if (const EmlxFile emlx = EmlxFile::open(file.path); emlx.failure.isEmpty())
                entry.flags = emlx.flags;  // one that is not fails in its turn
        if (file.kind != SourceKind::Mbox) {
            entries.append(entry);
            continue;
        }
        const MboxMessages found = messagesOfMbox(file.path, yielder);
        if (!found.failure.isEmpty())
            unreadable.append({file.path, found.failure});
        for (const MboxMessage &message : found.messages) {
            entry.offset = message.offset;
            entry.length = message.length;
            entry.envelope = message.envelope;
            entries.append(entry);
        }
        yielder.yield();
    }
    return entries;
}
