#include "cli/SourceList.h"

#include "folders/MessagePath.h"
#include "folders/pathLogger.h"
#include "modules/PathOnDisk.h"
#include "modules/Yielder.h"

#include <QElapsedTimer>

namespace {

// Passes the walk's yield points on, and reports the walker's counts at most
// ten times a second; only the entries recorded since the last report are
// looked at, so the walk stays one pass.
class CountingYielder final : public Yielder {
public:
    CountingYielder(Yielder &inner, const WalkCount &counting, int messagesBefore, int foldersBefore)
        : inner_(inner), counting_(counting), messagesBefore_(messagesBefore), foldersBefore_(foldersBefore)
    {
        sinceReport_.start();
    }
    void Watch(pathLogger *walker) { walker_ = walker; }
    void Yield() override
    {
        inner_.Yield();
        if (counting_ && walker_ && sinceReport_.elapsed() >= 100) {
            sinceReport_.restart();
            Report();
        }
    }
    void YieldNow() override { inner_.YieldNow(); }
    bool Due() const override { return inner_.Due(); }

private:
    void Report()
    {
        const auto &files = *walker_->fullFileNames();
        for (; checked_ < files.Count(); ++checked_)
            if (IsMessagePath(files.Item(checked_ + 1)))
                ++messages_;
        counting_(messagesBefore_ + messages_, foldersBefore_ + walker_->pathNames()->Count());
    }

    Yielder &inner_;
    const WalkCount &counting_;
    int messagesBefore_;
    int foldersBefore_;
    pathLogger *walker_ = nullptr;
    QElapsedTimer sinceReport_;
    int checked_ = 0;
    int messages_ = 0;
};

QString LastName(const QString &path)
{
    return path.section(QLatin1Char('/'), -1);
}

void WalkFolder(const QString &folder, SourceListing &listing, Yielder &yielder, const WalkCount &counting)
{
    const QString start = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    // The root has no name of its own: its messages start from the top.
    const qsizetype nameStart = folder == QLatin1String("/") ? 1 : start.size() - LastName(folder).size() - 1;
    CountingYielder walkYielder(yielder, counting, int(listing.messages.size()), listing.folders);
    pathLogger walker(walkYielder);
    walker.PathLogInit();
    walker.setFullFileNamesOnly(true);
    walkYielder.Watch(&walker);
    walker.LogPath(start);
    walkYielder.Watch(nullptr);
    for (const QString &path : *walker.fullFileNames()) {
        if (!IsMessagePath(path))
            continue;
        listing.messages.append({path, nameStart});
    }
    for (const SkippedFolder &skipped : *walker.skippedFolders())
        listing.skippedFolders.append(skipped);
    listing.folders += walker.pathNames()->Count();
    walker.Terminate();
}

} // namespace

SourceListing ListSources(const QStringList &sources, Yielder &yielder, const WalkCount &counting)
{
    SourceListing listing;
    for (const QString &source : sources) {
        const QString path = AbsolutePath(source);
        if (KindOfPath(path) == PathKind::Folder) {
            WalkFolder(path, listing, yielder, counting);
        } else {
            // A file's name is taken from its folder's name on.
            const qsizetype folderEnd = path.lastIndexOf(QLatin1Char('/'));
            listing.messages.append({path, folderEnd > 0 ? path.lastIndexOf(QLatin1Char('/'), folderEnd - 1) + 1 : 0});
        }
        yielder.Yield();
    }
    if (counting)
        counting(int(listing.messages.size()), listing.folders);
    return listing;
}
