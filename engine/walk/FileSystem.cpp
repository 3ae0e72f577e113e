#include "engine/walk/FileSystem.h"

#include "engine/walk/PosixFileSystem.h"

namespace {

FileSystemFactory &Factory()
{
    static FileSystemFactory factory;
    return factory;
}

} // namespace

std::shared_ptr<FileSystem> createFileSystem()
{
    if (Factory())
        return Factory()();
    return std::make_shared<PosixFileSystem>();
}

void setFileSystemFactory(FileSystemFactory factory)
{
    Factory() = std::move(factory);
}
