#pragma once

#include <QString>

// Where one message goes.
struct OutputTarget {
    QString folder;  // ends in "/"
    QString file;    // the mbox file, in folder
    // In a Thunderbird tree, the folder its top folders are in: every level
    // between it and folder needs its own mbox file (ThunderbirdNaming).
    QString treeRoot;
};
