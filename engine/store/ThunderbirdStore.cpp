#include "engine/store/ThunderbirdStore.h"

#include "engine/layout/FlagLines.h"
#include "engine/layout/ThunderbirdNaming.h"
#include "engine/verify/MboxReader.h"

QByteArray ThunderbirdStore::linesAfterSeparator(const SourceMessage &message) const
{
    MessageFlags flags = message.flags.value_or(MessageFlags{.seen = true});
    if (rules_.unread)
        flags.seen = false;
    return thunderbirdFlagLines(flags);
}

QString ThunderbirdStore::prepareFolder(const OutputTarget &target, int &error) const
{
    if (QString reason = MboxStore::prepareFolder(target, error); !reason.isEmpty())
        return reason;
    return makeParentFolderFiles(target.treeRoot, target.folder, &error);
}

std::unique_ptr<TargetReader> ThunderbirdStore::reader() const
{
    return std::make_unique<MboxReader>(true);
}
