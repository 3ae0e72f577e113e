#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <functional>

class Yielder;

// Reads a regular file from its start in pieces of PieceSize, handing each on
// with its offset in the file: memory stays one piece whatever the file's
// size. With length given, only the bytes [from, from + length), all of them
// or a failure. Returns why the file could not be read, or empty text.
QString readInPieces(const QString &path, const std::function<void(QByteArrayView piece, qint64 offset)> &each,
                     Yielder &yielder, qint64 from = 0, qint64 length = -1);

namespace PieceReading {
// Large enough that a warm cache is read at memory speed, small enough to stay in the processor's cache.
constexpr qint64 PieceSize = 512 * 1024;
}
