#pragma once

#include "engine/source/SourceMessage.h"
#include "engine/store/Store.h"

#include <QList>

class Yielder;

// The entries in the order a run by date writes them: the entries going to
// one mbox (or folder) take that target's places in the list in the order of
// their dates, the date each one's output will carry (messageDate), and those of the
// same second keep their order in the list. Only the start of each message is
// read, and only of targets with more than one entry. An entry that cannot be
// read, or has no target, keeps the date its file gives (or its place): it
// fails when its turn comes.
QList<SourceMessage> orderedByDate(const QList<SourceMessage> &entries, const Store &store, Yielder &yielder);
