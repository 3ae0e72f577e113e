#pragma once

#include <QString>

// Makes a tree of `messages` .eml files for the conversion benchmark: mostly
// 2-20 KB, a few percent 100 KB-5 MB with base64 attachments, CR LF and LF
// files, "From " lines in some bodies, about messages/500 folders two to three
// levels deep. Deterministic. Returns the bytes written, or -1 on failure.
long long makeMessageTree(const QString &root, int messages);

// Writes one message of about megabytes MiB to path: a few header fields, a
// short text part and a base64 attachment in CR LF lines, written piece by
// piece. Deterministic. Returns the bytes written, or -1 on failure.
long long makeHugeMessage(const QString &path, int megabytes);
