#include "engine/walk/FileSystem.h"

#include "engine/walk/PosixFileSystem.h"

namespace {

FileSystemFactory &Factory()
{
    static FileSystemFactory factory;
    return factory;
}

} // namespace

std::shared_ptr<FileSystem> CreateFileSystem()
{
    if (Factory())
        return Factory()();
    return std::make_shared<PosixFileSystem>();
}

void SetFileSystemFactory(FileSystemFactory factory)
{
    Factory() = std::move(factory);
}
