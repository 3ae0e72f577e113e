#include "modules/modMain.h"

#include "modules/FileDescriptor.h"
#include "modules/FileNames.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

bool EnsurePathExists(const QString &folder)
{
    return CreatePath(folder).isEmpty();
}

QString CreatePath(const QString &folder)
{
    if (folder.isEmpty())
        return SystemReason(ENOENT);
    const QByteArray native = NativeName(folder);
    const std::filesystem::path path(native.toStdString());
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (!error && !std::filesystem::is_directory(path, error) && !error)
        error = std::make_error_code(std::errc::not_a_directory);
    return error ? SystemReason(error.value()) : QString();
}
