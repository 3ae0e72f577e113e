#include "engine/verify/TargetReader.h"

#include "engine/verify/MaildirReader.h"
#include "engine/verify/MboxReader.h"

std::unique_ptr<TargetReader> TargetReader::forLayout(OutputLayout layout)
{
    switch (layout) {
    case OutputLayout::Thunderbird:
        return std::make_unique<MboxReader>(true);
    case OutputLayout::Maildir:
        return std::make_unique<MaildirReader>();
    case OutputLayout::Mbox:
        break;
    }
    return std::make_unique<MboxReader>(false);
}
