#pragma once

#include <QString>

// Makes a tree of `files` files spread over about files/100 folders three
// levels deep; nine in ten are named *.eml in mixed letter case. Returns how
// many *.eml files it made, or -1 when the tree could not be written.
long long makeBenchTree(const QString &root, long long files);
