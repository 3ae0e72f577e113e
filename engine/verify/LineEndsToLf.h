#pragma once

#include <QByteArrayView>
#include <cstring>

// CR LF and a lone CR become LF, across pieces cut anywhere. A file without
// CRs is handed on a whole piece at a time, as it came.
class LineEndsToLf {
public:
    template <typename Emit>
    void feed(QByteArrayView piece, Emit &&emit)
    {
        const char *p = piece.data();
        const char *const end = p + piece.size();
        if (afterCr_ && p < end) {
            afterCr_ = false;
            if (*p == '\n')
                ++p;
        }
        while (p < end) {
            const char *cr = static_cast<const char *>(std::memchr(p, '\r', size_t(end - p)));
            if (!cr) {
                emit(QByteArrayView(p, end - p));
                return;
            }
            if (cr > p)
                emit(QByteArrayView(p, cr - p));
            if (cr + 1 < end && cr[1] == '\n') {
                emit(QByteArrayView(cr + 1, 1));
                p = cr + 2;
            } else {
                emit(QByteArrayView("\n", 1));
                p = cr + 1;
                afterCr_ = p == end;
            }
        }
    }

private:
    bool afterCr_ = false;  // a CR ended the last piece: an LF first in the next belongs to it
};
