#include "cli/MboxTargets.h"

#include "convert/ConversionRun.h"

QString MboxFor(const ListedMessage &message, const CommandOptions &options)
{
    switch (options.rule) {
    case TargetRule::Single:
        return AbsolutePath(options.singleFile);
    case TargetRule::Relative:
        return OutputFor(QLatin1Char('/') + message.FromName(), AbsolutePath(options.destination)).file;
    case TargetRule::Mirror:
        break;
    }
    return OutputFor(message.path, AbsolutePath(options.destination)).file;
}
