#include "engine/walk/FileSystem.h"

#include "engine/walk/PosixFileSystem.h"

namespace {

FileSystemFactory &factory()
{
    static FileSystemFactory factory;
    return factory;
}

} // namespace

std::shared_ptr<FileSystem> createFileSystem()
{
    if (factory())
        return factory()();
    return std::make_shared<PosixFileSystem>();
}

void setFileSystemFactory(FileSystemFactory made)
{
    factory() = std::move(made);
}
