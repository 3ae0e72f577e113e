#pragma once

#include "engine/run/ConversionRun.h"

#include <QList>

class Yielder;

// The entries in the order a run by date writes them: the entries going to
// one mbox (or folder) take that target's places in the list in the order of
// their dates, the date each one's separator line will carry, and those of the
// same second keep their order in the list. Only the start of each message is
// read, and only of targets with more than one entry. An entry that cannot be
// read, or has no target, keeps the date its file gives (or its place): it
// fails when its turn comes.
QList<ConversionEntry> orderedByDate(const QList<ConversionEntry> &entries, const ConversionRules &rules,
                                     Yielder &yielder);
