#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstring>
#include <memory>

struct XXH3_state_s;

// A message's text as a mail program reads it: every line ends in LF alone.
// hash is XXH3-128 of that text; key names the message for a person (its
// Message-ID, or failing that its Date field), to pair a changed copy with
// its source.
struct TextDigest {
    QByteArray hash;  // 16 bytes
    qint64 length = 0;
    QByteArray key;   // "Message-ID: <...>" or "Date: ..."; empty when the header has neither
    QByteArray sameText() const { return hash + QByteArray::number(length); }
};

// Builds a TextDigest from text fed in pieces of any size, with LF line ends.
class DigestBuilder {
public:
    DigestBuilder();
    void add(QByteArrayView text)
    {
        // Most of a message is short lines after its header: gathered here, hashed in large pieces.
        if (!inHeader_ && !text.isEmpty() && text.size() <= GatherSize - gathered_) {
            std::memcpy(gather_.get() + gathered_, text.data(), size_t(text.size()));
            gathered_ += text.size();
            length_ += text.size();
            last_ = text.back();
            return;
        }
        addSlowly(text);
    }
    // A last line without its LF gets one, as a record always ends its message in a line break.
    void endLastLine();
    // Ready for the next text afterwards.
    TextDigest finish();

private:
    static constexpr qsizetype GatherSize = 64 * 1024;
    static constexpr qsizetype LongestKeptLine = 1000;

    void addSlowly(QByteArrayView text);
    void hashGathered();
    void watchHeader(QByteArrayView text);
    void endHeaderLine();

    std::unique_ptr<XXH3_state_s, void (*)(XXH3_state_s *)> state_;
    std::unique_ptr<char[]> gather_{new char[GatherSize]};
    qsizetype gathered_ = 0;
    qint64 length_ = 0;
    char last_ = '\n';
    bool inHeader_ = true;
    QByteArray line_;  // the header line being read, its first LongestKeptLine bytes
    QByteArray messageId_, date_;
    QByteArray *continued_ = nullptr;  // the field a folded line adds to
};
