#pragma once

#include <QString>

// Qt's file dialogs decode names with U+FFFD for each byte that is not UTF-8,
// which names no file. This gives back the real path: each part of an
// absolute path holding U+FFFD is looked up in its folder, listed with the
// real bytes, for the one entry whose decoding reads the same. When no entry
// or several do, that part stays as it was.
QString pathFromLossyName(const QString &path);
