#include "engine/source/SourceWalk.h"

#include "engine/source/MaildirName.h"
#include "engine/support/FileDescriptor.h"
#include "engine/support/FileNames.h"
#include "engine/support/PathOnDisk.h"
#include "engine/support/RegularFile.h"
#include "engine/support/Yielder.h"

#include <QHash>
#include <QSet>
#include <fcntl.h>
#include <unistd.h>

namespace {

bool anyFile(const QString &)
{
    return true;
}

QString folderOf(const QString &path)
{
    return path.left(path.lastIndexOf(QLatin1Char('/')));
}

QString nameOf(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QByteArray firstBytes(const QString &path)
{
    QByteArray start(512, Qt::Uninitialized);
    const RegularFile file = openRegularFile(path);
    const ssize_t got = !file.ok() ? -1 : ::read(file.fd.get(), start.data(), size_t(start.size()));
    start.resize(got < 0 ? 0 : got);
    return start;
}

QString withoutMboxExtension(const QString &name)
{
    for (const QLatin1String extension : {QLatin1String(".mbox"), QLatin1String(".mbx")})
        if (name.size() > extension.size() && name.endsWith(extension, Qt::CaseInsensitive))
            return name.left(name.size() - extension.size());
    return name;
}

// Judges the files of one walked source folder.
class Classifier {
public:
    explicit Classifier(const QString &root) : root_(root) {}

    // The mail folder a maildir stands for: a Maildir++ ".A.B" inside another
    // maildir is that one's subfolder A/B; any other maildir is itself.
    QString maildirFolder(const QString &maildir)
    {
        if (const auto known = folders_.constFind(maildir); known != folders_.cend())
            return *known;
        QString folder = maildir;
        const QString parent = folderOf(maildir);
        const QString subfolder = maildirFolderPath(nameOf(maildir));
        if (maildir != root_ && !subfolder.isEmpty() && maildirAt(parent))
            folder = maildirFolder(parent) + QLatin1Char('/') + subfolder;
        folders_.insert(maildir, folder);
        return folder;
    }

    bool maildirAt(const QString &folder)
    {
        if (const auto known = maildirs_.constFind(folder); known != maildirs_.cend())
            return *known;
        const bool is = isMaildir(folder);
        maildirs_.insert(folder, is);
        return is;
    }

    // Apple Mail keeps a box Name as Name.mbox/…/Messages/N.emlx, a child box
    // in Name/Child.mbox: the folder drops ".mbox" and what lies below the box.
    // The source folder itself may be the box.
    QString appleFolder(const QString &path) const
    {
        const QString above = folderOf(root_);
        const QStringList parts = path.mid(above.size() + 1).split(QLatin1Char('/'));
        qsizetype box = -1;
        for (qsizetype k = parts.size() - 2; k >= 0 && box < 0; --k)
            if (parts[k].endsWith(QLatin1String(".mbox"), Qt::CaseInsensitive))
                box = k;
        if (box < 0)
            return folderOf(path);
        QString folder = above;
        for (qsizetype k = 0; k <= box; ++k)
            folder += QLatin1Char('/') + withoutMboxExtension(parts[k]);
        return folder;
    }

    void take(const QString &path, TypedListing &listing, qsizetype nameStart)
    {
        const QString folder = folderOf(path);
        const QString name = nameOf(path);
        const QString above = folderOf(folder);
        const QString folderName = nameOf(folder);
        const bool inMaildir = (folderName == QLatin1String("cur") || folderName == QLatin1String("new")
                                || folderName == QLatin1String("tmp")) && maildirAt(above);
        if (inMaildir) {
            if (folderName == QLatin1String("tmp")) {
                listing.leftOut.append({path, QStringLiteral("in a maildir's tmp folder: a message still being delivered")});
                return;
            }
            add(listing, path, maildirFolder(above) + QLatin1Char('/') + name, nameStart, SourceKind::Maildir);
            return;
        }
        if (maildirAt(folder)) {
            listing.leftOut.append({path, QStringLiteral("a maildir's own file, no message")});
            return;
        }
        // The name says most; only a file it says nothing of is opened.
        SourceKind kind = fileKind(name, {});
        if (kind == SourceKind::Unknown)
            kind = fileKind(name, firstBytes(path));
        switch (kind) {
        case SourceKind::Eml:
            add(listing, path, path, nameStart, kind);
            return;
        case SourceKind::Emlx:
        case SourceKind::PartialEmlx:
            add(listing, path, appleFolder(path) + QLatin1Char('/') + name, nameStart, kind);
            return;
        case SourceKind::Mbox:
            // The file is the folder: Mail/Inbox holds the messages of Mail/Inbox;
            // Apple Mail's export Box.mbox/mbox those of Box.
            if (name == QLatin1String("mbox") && folderName.endsWith(QLatin1String(".mbox"), Qt::CaseInsensitive))
                add(listing, path, above + QLatin1Char('/') + withoutMboxExtension(folderName) + QStringLiteral("/mbox"), nameStart, kind);
            else
                add(listing, path, folder + QLatin1Char('/') + withoutMboxExtension(name) + QStringLiteral("/mbox"), nameStart, kind);
            return;
        case SourceKind::Maildir:
        case SourceKind::Unknown:
            break;
        }
        listing.leftOut.append({path, QStringLiteral("not a message of a known kind")});
    }

private:
    static void add(TypedListing &listing, const QString &path, const QString &namePath, qsizetype nameStart, SourceKind kind)
    {
        listing.files.append({path, namePath, nameStart, kind});
    }

    QString root_;
    QHash<QString, bool> maildirs_;
    QHash<QString, QString> folders_;
};

// A full N.emlx replaces N.partial.emlx of the same folder.
void dropSupersededPartials(TypedListing &listing)
{
    QSet<QString> full;
    for (const SourceFile &file : std::as_const(listing.files))
        if (file.kind == SourceKind::Emlx)
            full.insert(file.path.left(file.path.size() - 5));
    listing.files.removeIf([&](const SourceFile &file) {
        return file.kind == SourceKind::PartialEmlx && full.contains(file.path.left(file.path.size() - 13));
    });
}

} // namespace

TypedListing listTypedSources(const QStringList &sources, Yielder &yielder, const WalkCount &counting)
{
    TypedListing listing;
    for (const QString &source : sources) {
        const QString path = absolutePath(source);
        const QString start = path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
        if (kindOfPath(path) == PathKind::Folder) {
            const QString root = start.left(start.size() - 1);
            const qsizetype nameStart = root.isEmpty() ? 1 : root.size() - nameOf(root).size();
            const FolderMessages found = filesBelow(start, yielder, counting, anyFile);
            Classifier classifier(root);
            for (const QString &file : found.messages) {
                classifier.take(file, listing, nameStart);
                yielder.yield();
            }
            for (const SkippedFolder &skipped : *found.skippedFolders)
                listing.skippedFolders.append(skipped);
            listing.folders += found.folders;
        } else {
            const qsizetype folderEnd = path.lastIndexOf(QLatin1Char('/'));
            const qsizetype nameStart = folderEnd > 0 ? path.lastIndexOf(QLatin1Char('/'), folderEnd - 1) + 1 : 0;
            Classifier classifier(folderOf(path));
            const SourceKind kind = fileKind(nameOf(path), firstBytes(path));
            // A file named as a source is converted even of an unknown kind: it was asked for.
            if (kind == SourceKind::Unknown)
                listing.files.append({path, path, nameStart, SourceKind::Eml});
            else
                classifier.take(path, listing, nameStart);
        }
        yielder.yield();
    }
    dropSupersededPartials(listing);
    return listing;
}
