#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstring>
#include <memory>

struct XXH3_state_s;

// XXH3's 128-bit hash: a re-run hashes every message twice (its file and its
// record), and at tens of GB/s it costs next to nothing beside reading them;
// the cryptographic hashes at hand are slower than that reading. Two texts
// agree on it by chance once in 2^128; its secret is drawn at random for each
// process (identities are never kept), so two messages cannot be made
// beforehand to agree on it.
class TextHash {
public:
    TextHash();
    void add(QByteArrayView data);
    QByteArray result();  // 16 bytes, and ready for the next text
private:
    std::unique_ptr<XXH3_state_s, void (*)(XXH3_state_s *)> state_;
};

// Which copies of a message --skip-duplicates takes for the same message.
enum class DuplicateRule {
    ExactCopy,  // the same text, line ends aside
    MessageId,  // the same Message-ID field; a message without one as ExactCopy
};

// What makes two copies of one message the same message, for skipping
// duplicates: its text normalised (every line end, CR LF, lone CR or LF, one
// LF, and the line ends at its end dropped), hashed, and its length. A message read back from
// an mbox (separator line left out, mboxrd quoting undone) so gives the
// identity of the .eml file it was written from, whichever line ends the file
// and the mbox use. Thunderbird's status lines (X-Mozilla-Status and
// X-Mozilla-Status2) at the start of a message are left out: they say whether
// it was read, not what it is. Under DuplicateRule::MessageId a message with a
// Message-ID field is that field's value instead (runs of white space made
// one space): real mail reuses IDs, so this can take different messages for
// copies.
class MessageIdentity {
public:
    explicit MessageIdentity(DuplicateRule rule = DuplicateRule::ExactCopy)
        : rule_(rule), inHeader_(rule == DuplicateRule::MessageId) {}
    // Part of a line, without any CR or LF.
    void add(QByteArrayView text);
    void endLine();
    // Text with its line ends (CR LF, lone CR or LF) in pieces cut anywhere:
    // the same as add and endLine for each line, but past the header block
    // in long stretches, not a line at a time. Not to be mixed with them.
    void feed(QByteArrayView piece);
    // "id:" + the Message-ID, or "text:" + the length's 8 bytes and the hash's 16.
    QByteArray finish();
    // The header block is over and held a Message-ID that is the identity: the rest changes nothing.
    bool known() const { return !inHeader_ && !messageId_.isEmpty(); }
    // Ready for the next message.
    void reset();

private:
    static constexpr qsizetype GatherSize = 64 * 1024;

    void addText(QByteArrayView text);
    void addBreaks();
    void hashLines(const char *p, const char *end);
    void endField();
    void hash(QByteArrayView text);
    void hashGathered();

    DuplicateRule rule_;
    bool inHeader_;  // looking for the Message-ID
    TextHash hash_;
    qint64 hashed_ = 0;
    std::unique_ptr<char[]> gather_{new char[GatherSize]};
    qsizetype gathered_ = 0;
    qint64 pendingBreaks_ = 0;
    qint64 headerBytes_ = 0;
    qint64 lineLength_ = 0;
    QByteArray line_;   // the header line being read
    QByteArray field_;  // the header field being read, unfolded
    QByteArray messageId_;
    bool atStart_ = true;        // no line but status lines yet
    bool droppingLine_ = false;  // in a status line at the start
    QByteArray lead_;            // the first bytes of a line at the start, until they tell
    bool afterCr_ = false;       // a CR ended the last piece fed: an LF first in the next belongs to it
};

// Cuts text into lines at CR LF, lone CR and LF, across pieces: text(view)
// gets each stretch of a line, end() each line end.
class LineSplitter {
public:
    template <typename Text, typename End>
    void feed(QByteArrayView piece, Text &&text, End &&end)
    {
        const char *p = piece.data();
        const char *const last = p + piece.size();
        if (afterCr_ && p < last) {
            afterCr_ = false;
            if (*p == '\n')
                ++p;
        }
        while (p < last) {
            const void *lf = std::memchr(p, '\n', size_t(last - p));
            const char *lineEnd = lf ? static_cast<const char *>(lf) : last;
            const void *cr = std::memchr(p, '\r', size_t(lineEnd - p));
            const char *stop = cr ? static_cast<const char *>(cr) : lineEnd;
            if (stop > p)
                text(QByteArrayView(p, stop - p));
            if (stop == last)
                return;
            end();
            p = stop + 1;
            if (*stop == '\r') {
                if (p == last)
                    afterCr_ = true;
                else if (*p == '\n')
                    ++p;
            }
        }
    }

private:
    bool afterCr_ = false;  // a CR ended the last piece: an LF first in the next belongs to it
};

// The identity of an .eml file's bytes. Its leading "From " envelope line,
// which the mbox record leaves out, is left out here too.
QByteArray identityOfMessage(QByteArrayView message, DuplicateRule rule = DuplicateRule::ExactCopy);
