#include "folders/FileSystem.h"

#include "folders/PosixFileSystem.h"

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
