#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

// The header fields of a message, read from its start up to the first empty
// line (lines may end in CR LF, LF or CR) and never past HeaderScanLimit bytes.
// Continuation lines are unfolded into their field; "From " envelope lines
// among the fields are stepped over.
class HeaderBlock {
public:
    static constexpr qsizetype HeaderScanLimit = 1024 * 1024;

    explicit HeaderBlock(QByteArrayView message);

    // The value of the first field with this name (any letter case); null
    // when the message has no such field.
    QByteArray first(QByteArrayView name) const;

    // The leading "From " envelope line, without its break; empty when absent.
    QByteArray envelopeLine() const { return envelope_; }

private:
    struct Field {
        QByteArray name;  // lower case
        QByteArray value;
    };
    QList<Field> fields_;
    QByteArray envelope_;
};
