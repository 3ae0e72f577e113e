// The date reader on any text: no usable date, or one in UTC that the
// separator line can carry and that reads back from it.
#include "engine/mbox/MboxRecord.h"
#include "engine/message/MailDate.h"
#include "FuzzCheck.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QDateTime date = parseMailDate(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!date.isValid())
        return 0;
    require(date.timeSpec() == Qt::UTC, "in UTC");
    require(date.date().year() >= 1 && date.date().year() <= 9999, "in the years 1 to 9999");
    require(date.time().msec() == 0, "to the second");
    require(parseMailDate(formatSeparatorDate(date)) == date, "the separator line's date reads back");
    return 0;
}
