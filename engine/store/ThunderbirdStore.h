#pragma once

#include "engine/store/MboxStore.h"

// Thunderbird's folder tree (ThunderbirdNaming): mbox files without
// extension, subfolders in Name.sbd/ beside an mbox file of their parent,
// Thunderbird's two status lines after every separator line. Thunderbird
// takes no dot lock, and keeps its own lock on the profile.
class ThunderbirdStore final : public MboxStore {
public:
    using MboxStore::MboxStore;
    std::unique_ptr<TargetReader> reader() const override;

protected:
    QByteArray linesAfterSeparator(const SourceMessage &message) const override;
    QString prepareFolder(const OutputTarget &target, int &error) const override;
    bool dotLock() const override { return false; }
};
