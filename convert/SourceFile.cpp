#include "convert/SourceFile.h"

#include "convert/MessageReader.h"

SourceFile ReadSourceFile(const QString &path, const ReadRules &rules)
{
    const qint64 limit = rules.readAtMost;
    SourceFile result;
    MessageReader reader(path);
    result.modified = reader.modified();
    result.size = reader.size();
    if (!reader.ok()) {
        result.failure = reader.failure();
        return result;
    }

    const qint64 wanted = limit < 0 ? reader.size() : qMin<qint64>(limit, reader.size());
    result.bytes.resize(wanted);
    qint64 filled = 0;
    char spill[64 * 1024];  // catches growth since fstat without doubling the buffer
    while (limit < 0 || filled < limit) {
        const bool inBuffer = filled < result.bytes.size();
        char *target = inBuffer ? result.bytes.data() + filled : spill;
        qint64 room = inBuffer ? result.bytes.size() - filled : qint64(sizeof spill);
        if (limit >= 0)
            room = qMin(room, limit - filled);
        room = qMin(room, MessageReader::PieceSize);  // a cold disk can take long over one large read
        if (filled > 0 && rules.betweenChunks)
            rules.betweenChunks();
        const qint64 got = reader.Read(target, room);
        if (got < 0) {
            result.failure = reader.failure();
            result.bytes.clear();
            return result;
        }
        if (got == 0)
            break;
        if (!inBuffer) {
            result.bytes.resize(filled);
            result.bytes.append(spill, got);
        }
        filled += got;
    }
    result.bytes.resize(filled);
    return result;
}
