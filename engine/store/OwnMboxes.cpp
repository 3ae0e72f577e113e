#include "engine/store/OwnMboxes.h"

#include "engine/support/FileNames.h"

#include <sys/stat.h>

namespace {

bool idOf(const QString &path, std::pair<quint64, quint64> &id)
{
    struct stat info {};
    if (::stat(nativeName(path).constData(), &info) != 0)
        return false;
    id = {quint64(info.st_dev), quint64(info.st_ino)};
    return true;
}

} // namespace

void OwnMboxes::add(const QString &mboxPath)
{
    std::pair<quint64, quint64> id;
    if (idOf(mboxPath, id))
        files_.insert(id);
}

bool OwnMboxes::holds(const QString &path) const
{
    std::pair<quint64, quint64> id;
    return !files_.isEmpty() && idOf(path, id) && files_.contains(id);
}
