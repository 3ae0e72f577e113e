#include "modules/modMain.h"

#include "modules/FileNames.h"

#include <filesystem>
#include <system_error>

bool EnsurePathExists(const QString &folder)
{
    if (folder.isEmpty())
        return false;
    const QByteArray native = NativeName(folder);
    const std::filesystem::path path(native.toStdString());
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (error)
        return false;
    return std::filesystem::is_directory(path, error);
}
