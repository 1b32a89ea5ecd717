#include "settings/profilepath.h"

namespace {

constexpr std::string_view kSeparators = "/\\:";

}  // namespace

std::string changeFileExt(std::string_view path, std::string_view ext) {
    const auto dot = path.find_last_of('.');
    const auto separator = path.find_last_of(kSeparators);
    const bool hasExtension =
        dot != std::string_view::npos && (separator == std::string_view::npos || dot > separator);
    std::string result(hasExtension ? path.substr(0, dot) : path);
    result += ext;
    return result;
}

std::string extractFilePath(std::string_view path) {
    const auto separator = path.find_last_of(kSeparators);
    if (separator == std::string_view::npos) return {};
    return std::string(path.substr(0, separator + 1));
}
