#pragma once

#include <QString>

// A folder the walk could not list, and why.
struct SkippedFolder {
    QString path;
    QString reason;
};
