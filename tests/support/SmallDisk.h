#pragma once

#include <QFile>
#include <QTemporaryDir>
#include <sys/mount.h>

// A tmpfs of its own, for what a full or read-only disk does. Mounting needs
// the right to (root, mostly): a test without it skips.
class SmallDisk {
public:
    explicit SmallDisk(const char *size, bool readOnly = false)
    {
        mounted_ = folder_.isValid() && ::mount("tmpfs", native().constData(), "tmpfs", readOnly ? MS_RDONLY : 0,
                                                (QByteArray("size=") + size).constData()) == 0;
    }
    ~SmallDisk()
    {
        if (mounted_)
            ::umount2(native().constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;
    bool mounted() const { return mounted_; }
    QString path() const { return folder_.path(); }
    // Room made: the files stay.
    bool grow(const char *size)
    {
        return ::mount("tmpfs", native().constData(), "tmpfs", MS_REMOUNT, (QByteArray("size=") + size).constData()) == 0;
    }

private:
    QByteArray native() const { return QFile::encodeName(folder_.path()); }
    QTemporaryDir folder_;
    bool mounted_ = false;
};
