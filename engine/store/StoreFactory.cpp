#include "engine/store/MaildirStore.h"
#include "engine/store/MboxStore.h"
#include "engine/store/ThunderbirdStore.h"

std::unique_ptr<Store> makeStore(const ConversionRules &rules)
{
    switch (rules.layout) {
    case OutputLayout::Thunderbird:
        return std::make_unique<ThunderbirdStore>(rules);
    case OutputLayout::Maildir:
        return std::make_unique<MaildirStore>(rules);
    case OutputLayout::Mbox:
        break;
    }
    return std::make_unique<MboxStore>(rules);
}
