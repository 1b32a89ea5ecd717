#include "settings/wavpath.h"

#include "settings/profilepath.h"
#include "settings/textencoding.h"

std::string resolveWavPath(const std::string& text, const std::string& executablePath) {
    const std::string folder = extractFilePath(executablePath);
    if (text.size() >= 2 && text[1] == ':') {
        const std::size_t slash = lastBackslash(text);
        const std::string name =
            slash == std::string::npos ? text.substr(2) : text.substr(slash + 1);
        return folder + "media/" + name;
    }
    if (!text.empty() && text[0] == '/') return text;
    return folder + text;
}
