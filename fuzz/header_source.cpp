// Sender and date from any bytes: always an answer, and one a separator line
// can carry and give back.
#include "engine/mbox/MboxRecord.h"
#include "engine/message/HeaderSource.h"
#include "engine/message/MailDate.h"
#include "FuzzCheck.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QDateTime modified = QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC);
    HeaderSource eml;
    eml.loadFromBytes(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), modified);

    const QString sender = eml.getSender();
    require(!sender.isEmpty(), "a sender");
    for (const char32_t codePoint : sender.toUcs4()) {
        const QChar::Category category = QChar::category(codePoint);
        require(!QChar::isSpace(codePoint) && category != QChar::Other_Control && category != QChar::Other_Format,
                "no blank or invisible character in the sender");
    }

    const QDateTime date = eml.getDate();
    require(date.isValid() && date.timeSpec() == Qt::UTC, "a date in UTC");
    require(date.date().year() >= 1 && date.date().year() <= 9999 && date.time().msec() == 0,
            "a date a separator line can carry");
    require(parseMailDate(formatSeparatorDate(date)) == date, "the separator line's date reads back");
    return 0;
}
