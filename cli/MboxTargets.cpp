#include "cli/MboxTargets.h"

#include "convert/ConversionRun.h"

QString MboxFor(const ListedMessage &message, const CommandOptions &options)
{
    switch (options.rule) {
    case TargetRule::Single:
        return options.singleFile;
    case TargetRule::Relative:
        return OutputFor(QLatin1Char('/') + message.FromName(), options.destination).file;
    case TargetRule::Mirror:
        break;
    }
    return OutputFor(message.path, options.destination).file;
}

bool MboxNamedByUser(const CommandOptions &options)
{
    return options.rule == TargetRule::Single;
}
