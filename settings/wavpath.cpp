#include "settings/wavpath.h"

#include "settings/profilepath.h"
#include "settings/textencoding.h"

#include <algorithm>
#include <filesystem>
#include <string_view>

namespace {

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameAnyCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return asciiLower(x) == asciiLower(y); });
}

std::string windowsFileName(const std::string& path) {
    const std::size_t slash = lastBackslash(path);
    return slash == std::string::npos ? path.substr(2) : path.substr(slash + 1);
}

// Names in `folder` that differ from `name` only in case.
std::vector<std::string> otherCases(const std::string& folder, const std::string& name) {
    std::vector<std::string> found;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        const std::string other = it->path().filename().string();
        if (other != name && sameAnyCase(other, name)) found.push_back(other);
    }
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace

std::vector<std::string> wavFileCandidates(const std::string& text,
                                           const std::string& executablePath) {
    const std::string folder = extractFilePath(executablePath);
    const std::string shown = readableText(text);
    std::vector<std::string> paths;
    const auto add = [&paths](const std::string& path) {
        if (std::find(paths.begin(), paths.end(), path) == paths.end()) paths.push_back(path);
    };
    if (text.size() >= 2 && text[1] == ':') {
        const std::string media = folder + "media/";
        const std::string name = windowsFileName(shown);
        add(media + name);
        add(media + windowsFileName(text));
        for (const std::string& other : otherCases(media, name)) add(media + other);
        return paths;
    }
    for (const std::string& path : {shown, text})
        add(!path.empty() && path[0] == '/' ? path : folder + path);
    return paths;
}
