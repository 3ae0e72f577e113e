#pragma once

#include "engine/walk/Collection.h"
#include "engine/walk/SkippedFolder.h"

#include <QString>

// The text of the box that ends an add-folder command: the count, and below it
// the folders that could not be read, the first MaxListedSkippedFolders of them by name.
QString addFolderReport(int added, const Collection<SkippedFolder> &skipped);

// The same with every skipped folder, for the box's details and the report
// file; empty when no folder was skipped.
QString addFolderReportDetails(int added, const Collection<SkippedFolder> &skipped);

constexpr int MaxListedSkippedFolders = 20;
