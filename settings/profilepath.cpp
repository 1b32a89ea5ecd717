#include "settings/profilepath.h"

std::string changeFileExt(const std::string& path, const std::string& extension)
{
    const std::size_t dot = path.find_last_of(".\\/:");
    if (dot != std::string::npos && path[dot] == '.')
        return path.substr(0, dot) + extension;
    return path + extension;
}

std::string extractFilePath(const std::string& path)
{
    const std::size_t separator = path.find_last_of("\\/:");
    return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}
