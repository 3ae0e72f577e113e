#pragma once

#include <QByteArrayView>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>

// A broken invariant is a finding like any crash: libFuzzer keeps the input
// that caused it.
inline void require(bool holds, const char *invariant)
{
    if (!holds) {
        std::fprintf(stderr, "invariant broken: %s\n", invariant);
        std::abort();
    }
}

// Feeds data to feed in pieces of 1 to maxPiece bytes whose lengths are drawn
// from the data itself, so every input cuts its own way and a finding replays
// the same.
template <typename Feed>
void feedInPieces(QByteArrayView data, quint32 maxPiece, Feed &&feed)
{
    quint32 state = 2166136261u;
    for (char c : data)
        state = (state ^ quint8(c)) * 16777619u;
    qsizetype at = 0;
    while (at < data.size()) {
        state = state * 1103515245u + 12345u;
        const qsizetype length = qMin<qsizetype>(1 + (state >> 16) % maxPiece, data.size() - at);
        feed(data.sliced(at, length));
        at += length;
    }
}
