#include "engine/layout/FlagLines.h"

QByteArray thunderbirdFlagLines(const MessageFlags &flags)
{
    const int bits = (flags.seen ? 0x0001 : 0) | (flags.answered ? 0x0002 : 0) | (flags.flagged ? 0x0004 : 0)
                     | (flags.deleted ? 0x0008 : 0) | (flags.forwarded ? 0x1000 : 0);
    return "X-Mozilla-Status: " + QByteArray::number(bits, 16).rightJustified(4, '0') + "\nX-Mozilla-Status2: 00000000\n";
}

QByteArray statusFieldLines(const MessageFlags &flags, bool lfLineEnds)
{
    const QByteArray end = lfLineEnds ? "\n" : "\r\n";
    QByteArray lines = (flags.seen ? "Status: RO" : "Status: O") + end;
    QByteArray x;
    if (flags.answered)
        x += 'A';
    if (flags.flagged)
        x += 'F';
    if (flags.draft)
        x += 'T';
    if (flags.deleted)
        x += 'D';
    if (!x.isEmpty())
        lines += "X-Status: " + x + end;
    return lines;
}
