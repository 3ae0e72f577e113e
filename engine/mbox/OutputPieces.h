#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstring>
#include <functional>

// Bytes on their way out, gathered into pieces of at most capacity bytes and
// handed on one piece at a time: whatever the size of a record, no more than
// one piece is held, and a file gets a few large writes rather than many small.
class OutputPieces {
public:
    using HandOn = std::function<void(QByteArrayView piece)>;

    OutputPieces(qsizetype capacity, HandOn handOn)
        : piece_(capacity > 0 ? capacity : 1, Qt::Uninitialized), handOn_(std::move(handOn)) {}
    OutputPieces(const OutputPieces &) = delete;
    OutputPieces &operator=(const OutputPieces &) = delete;

    void append(char c)
    {
        if (used_ == piece_.size())
            flush();
        piece_.data()[used_++] = c;
        ++total_;
    }
    void append(const char *data, qsizetype size)
    {
        if (size >= piece_.size())
            flush();
        while (size >= piece_.size()) {
            // Handed on where it is: a stretch this long gains nothing from being gathered.
            const qsizetype step = piece_.size();
            total_ += step;
            handOn_(QByteArrayView(data, step));
            data += step;
            size -= step;
        }
        while (size > 0) {
            if (used_ == piece_.size())
                flush();
            const qsizetype step = qMin(size, piece_.size() - used_);
            std::memcpy(piece_.data() + used_, data, size_t(step));
            used_ += step;
            total_ += step;
            data += step;
            size -= step;
        }
    }
    void append(QByteArrayView bytes) { append(bytes.data(), bytes.size()); }
    void repeat(char c, qint64 count)
    {
        while (count > 0) {
            if (used_ == piece_.size())
                flush();
            const qsizetype step = qsizetype(qMin<qint64>(count, piece_.size() - used_));
            std::memset(piece_.data() + used_, c, size_t(step));
            used_ += step;
            total_ += step;
            count -= step;
        }
    }

    // Hands on what has been gathered, if anything.
    void flush()
    {
        if (used_ == 0)
            return;
        const qsizetype size = used_;
        used_ = 0;
        handOn_(QByteArrayView(piece_.constData(), size));
    }

    // Every byte appended so far, handed on or not.
    qint64 total() const { return total_; }

private:
    QByteArray piece_;
    qsizetype used_ = 0;
    qint64 total_ = 0;
    HandOn handOn_;
};
