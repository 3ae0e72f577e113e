#include "engine/source/SourceEntries.h"

#include "engine/source/EmlxFile.h"
#include "engine/source/MaildirName.h"
#include "engine/source/MboxSource.h"
#include "engine/support/Yielder.h"

#include <atomic>
#include <chrono>
#include <future>

namespace {

// Splits the mbox files of a listing, this thread and one beside it taking
// the next file in turn: a split is bound by reading memory, and most trees
// hold more than one mbox.
class MboxSplits {
public:
    MboxSplits(const TypedListing &listing, Yielder &yielder) : yielder_(yielder), stopYielder_(stop_)
    {
        for (qsizetype k = 0; k < listing.files.size(); ++k)
            if (listing.files[k].kind == SourceKind::Mbox)
                paths_.append(listing.files[k].path);
        results_.resize(paths_.size());
        if (paths_.size() > 1)
            helper_ = std::async(std::launch::async, [this] { work(stopYielder_); });
        try {
            work(yielder_);
            if (helper_.valid()) {
                while (helper_.wait_for(std::chrono::milliseconds(2)) != std::future_status::ready)
                    yielder_.yield();
                helper_.get();
            }
        } catch (...) {
            stopHelper();  // no destructor runs for a constructor that throws
            throw;
        }
    }
    ~MboxSplits() { stopHelper(); }
    MboxSplits(const MboxSplits &) = delete;
    MboxSplits &operator=(const MboxSplits &) = delete;

    // The splits in the listing's order of mbox files.
    const MboxMessages &at(qsizetype index) const { return results_[index]; }

private:
    void stopHelper()
    {
        stop_ = true;
        if (helper_.valid())
            helper_.wait();
    }

    void work(Yielder &yielder)
    {
        for (qsizetype k = next_++; k < paths_.size(); k = next_++) {
            results_[k] = messagesOfMbox(paths_[k], yielder);
            yielder.yield();
        }
    }

    Yielder &yielder_;
    std::atomic<bool> stop_ = false;
    StopFlagYielder stopYielder_;
    QStringList paths_;
    std::vector<MboxMessages> results_;
    std::atomic<qsizetype> next_ = 0;
    std::future<void> helper_;
};

} // namespace

QList<SourceMessage> sourceEntries(const TypedListing &listing, Yielder &yielder, QList<LeftOutFile> &unreadable)
{
    const MboxSplits splits(listing, yielder);
    qsizetype mboxes = 0;
    QList<SourceMessage> entries;
    entries.reserve(listing.files.size());
    for (const SourceFile &file : listing.files) {
        SourceMessage entry{file.path, {}, file.nameStart, file.kind, file.namePath == file.path ? QString() : file.namePath};
        if (file.kind == SourceKind::Maildir)
            entry.flags = maildirFlags(file.path.mid(file.path.lastIndexOf(QLatin1Char('/')) + 1));
        if (file.kind == SourceKind::Emlx || file.kind == SourceKind::PartialEmlx)
            if (const EmlxFile emlx = EmlxFile::open(file.path); emlx.failure.isEmpty())
                entry.flags = emlx.flags;  // one that is not fails in its turn
        if (file.kind != SourceKind::Mbox) {
            entries.append(entry);
            continue;
        }
        const MboxMessages &found = splits.at(mboxes++);
        if (!found.failure.isEmpty())
            unreadable.append({file.path, found.failure});
        for (const MboxMessage &message : found.messages) {
            entry.offset = message.offset;
            entry.length = message.length;
            entry.envelope = message.envelope;
            entries.append(entry);
        }
    }
    return entries;
}
