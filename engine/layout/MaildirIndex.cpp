#include "engine/layout/MaildirIndex.h"

#include "engine/layout/MaildirNaming.h"
#include "engine/support/Failure.h"
#include "engine/support/FileDescriptor.h"
#include "engine/support/FileNames.h"

#include <dirent.h>
#include <memory>

MaildirIndex::Folder &MaildirIndex::listed(const QString &folder)
{
    if (const auto found = folders_.find(folder); found != folders_.end())
        return *found;
    Folder listing;
    for (const char *sub : {"cur/", "new/"}) {
        const QString path = folder + QLatin1String(sub);
        const std::unique_ptr<DIR, int (*)(DIR *)> dir(::opendir(nativeName(path).constData()), &::closedir);
        if (!dir) {
            if (errno == ENOENT)
                continue;
            throw Failure(FailureKind::Unreadable, QStringLiteral("cannot list the folder ") + path + QStringLiteral(": ") + systemReason(errno));
        }
        while (const dirent *entry = ::readdir(dir.get())) {
            const QByteArrayView name(entry->d_name);
            if (name.startsWith('.'))
                continue;
            const qsizetype colon = name.indexOf(':');
            listing.baseNames.insert((colon < 0 ? name : name.first(colon)).toByteArray());
            if (const QByteArray hash = hashInMaildirName(name); !hash.isEmpty())
                listing.files.insert(hash, path + nameFromNative(name));
        }
    }
    return *folders_.insert(folder, std::move(listing));
}

QString MaildirIndex::copyOf(const QString &folder, const QByteArray &hexHash)
{
    return listed(folder).files.value(hexHash);
}

QByteArray MaildirIndex::freeBaseName(const QString &folder, qint64 seconds, const QByteArray &hexHash)
{
    const Folder &known = listed(folder);
    for (int copy = 1;; ++copy)
        if (QByteArray name = maildirBaseName(seconds, hexHash, copy); !known.baseNames.contains(name))
            return name;
}

void MaildirIndex::add(const QString &folder, const QByteArray &hexHash, const QByteArray &baseName, const QString &file)
{
    Folder &known = listed(folder);
    known.baseNames.insert(baseName);
    if (!known.files.contains(hexHash))
        known.files.insert(hexHash, file);
}
