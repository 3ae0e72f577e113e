#include "engine/api/RunPlan.h"

#include "engine/support/Failure.h"
#include "engine/support/Yielder.h"

void planRun(const QList<SourceMessage> &messages, Store &store, bool lookForCopies, Yielder &yielder,
             const std::function<void(const PlannedMessage &)> &each)
{
    for (const SourceMessage &message : messages) {
        PlannedMessage plan{.message = message};
        try {
            plan.target = store.targetOf(message);
            if (lookForCopies)
                plan.copy = store.findCopy(message, yielder);
        } catch (const Failure &error) {
            plan.failure = error.reason();
        }
        each(plan);
        yielder.yield();
    }
}
