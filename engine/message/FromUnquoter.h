#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <functional>

// Undoes an mbox's quoting of one message's lines as it streams through: a
// line of one or more ">" and then "From " loses one ">" (mboxrd; an mboxo
// file reads the same way, the only way it can be read). Pieces may be cut
// anywhere: the start of a line that cannot be judged yet waits for the next.
class FromUnquoter {
public:
    // Appends the unquoted text of piece to out.
    void feed(QByteArrayView piece, QByteArray &out);
    // Hands the unquoted text of piece on in stretches, most of them views into piece.
    void feed(QByteArrayView piece, const std::function<void(QByteArrayView)> &emit);
    // The held-back start of a last line that was no quoted "From ".
    void finish(QByteArray &out);

private:
    void emitStart(const std::function<void(QByteArrayView)> &emit);

    // A line's start not judged yet: quotes_ ">"s, then matched_ bytes of "From ".
    qint64 quotes_ = 0;
    qsizetype matched_ = 0;
    bool atLineStart_ = true;
};
