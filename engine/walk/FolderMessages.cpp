#include "engine/walk/FolderMessages.h"

#include "engine/support/Yielder.h"
#include "engine/walk/FolderWalker.h"
#include "engine/walk/MessagePath.h"

#include <QElapsedTimer>

namespace {

// Passes the walk's yield points on, and reports the walker's counts at most
// ten times a second; only the entries recorded since the last report are
// looked at, so the walk stays one pass.
class CountingYielder final : public Yielder {
public:
    CountingYielder(Yielder &inner, const WalkCount &counting, FileFilter wanted)
        : inner_(inner), counting_(counting), wanted_(wanted)
    {
        sinceReport_.start();
    }
    void watch(FolderWalker *walker) { walker_ = walker; }
    void yield() override
    {
        inner_.yield();
        if (counting_ && walker_ && sinceReport_.elapsed() >= 100) {
            sinceReport_.restart();
            report();
        }
    }
    void yieldNow() override { inner_.yieldNow(); }
    bool due() const override { return inner_.due(); }

private:
    void report()
    {
        const auto &files = *walker_->fullFileNames();
        for (; checked_ < files.count(); ++checked_)
            if (wanted_(files.item(checked_ + 1)))
                ++messages_;
        counting_(messages_, walker_->pathNames()->count());
    }

    Yielder &inner_;
    const WalkCount &counting_;
    FileFilter wanted_;
    FolderWalker *walker_ = nullptr;
    QElapsedTimer sinceReport_;
    int checked_ = 0;
    int messages_ = 0;
};

} // namespace

FolderMessages messagesBelow(const QString &folder, Yielder &yielder, const WalkCount &counting)
{
    return filesBelow(folder, yielder, counting, isMessagePath);
}

FolderMessages filesBelow(const QString &folder, Yielder &yielder, const WalkCount &counting, FileFilter wanted)
{
    CountingYielder walkYielder(yielder, counting, wanted);
    FolderWalker walker(walkYielder);
    yielder.yield();
    walker.pathLogInit();
    walker.setFullFileNamesOnly(true);
    walkYielder.watch(&walker);
    walker.logPath(folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'));
    walkYielder.watch(nullptr);
    FolderMessages found;
    for (const QString &path : *walker.fullFileNames())
        if (wanted(path))
            found.messages.append(path);
    found.skippedFolders = walker.skippedFolders();
    found.folders = walker.pathNames()->count();
    walker.terminate();
    return found;
}
