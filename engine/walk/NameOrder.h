#pragma once

#include <QString>
#include <vector>

// The positions of names in the order in which a folder's entries are
// visited: letter case ignored, runs of digits compared as numbers ("2.eml"
// before "10.eml"). Names equal under that rule fall back to a plain
// comparison, so the order never depends on how the file system happened to
// list them. A folder of thousands of entries is compared tens of thousands
// of times: each name's key is worked out once.
std::vector<size_t> nameOrderOf(const std::vector<QString> &names);
