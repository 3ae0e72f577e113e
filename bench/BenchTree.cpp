#include "BenchTree.h"

#include <QByteArray>
#include <QFile>
#include <cmath>
#include <filesystem>
#include <fcntl.h>
#include <unistd.h>

namespace {

const char *const MessageExtensions[] = {".eml", ".EML", ".Eml", ".eMl"};
const char *const OtherNames[] = {".txt", ".eml.bak", "_eml", ".emlx"};

std::string leafFolder(const std::string &root, long long leaf, long long branching)
{
    const long long top = leaf / (branching * branching) % branching;
    const long long middle = leaf / branching % branching;
    const long long bottom = leaf % branching;
    return root + "/Top" + std::to_string(top) + "/Mid" + std::to_string(middle) + "/Box" + std::to_string(bottom);
}

} // namespace

long long makeBenchTree(const QString &rootPath, long long files)
{
    const std::string root = QFile::encodeName(rootPath).toStdString();
    const long long folders = std::max(1LL, files / 100);
    const auto branching = static_cast<long long>(std::ceil(std::cbrt(static_cast<double>(folders))));
    long long messages = 0;
    std::string folder;
    long long currentLeaf = -1;
    for (long long k = 0; k < files; ++k) {
        const long long leaf = k * folders / files;
        if (leaf != currentLeaf) {
            currentLeaf = leaf;
            folder = leafFolder(root, leaf, branching);
            std::error_code error;
            std::filesystem::create_directories(folder, error);
            if (error)
                return -1;
        }
        const bool message = k % 10 != 9;
        const std::string name = "Msg" + std::to_string(k)
                                 + (message ? MessageExtensions[k % 4] : OtherNames[(k / 10) % 4]);
        const int fd = ::open((folder + "/" + name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0)
            return -1;
        ::close(fd);
        messages += message ? 1 : 0;
    }
    return messages;
}
