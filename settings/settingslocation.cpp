#include "settings/settingslocation.h"

#include "settings/profilepath.h"

#include <fcntl.h>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>

namespace {

bool probeByWriting(const std::string& folder) {
    if (::access(folder.c_str(), W_OK) != 0) return false;
    // access() says yes to root everywhere and knows nothing of read-only mounts.
    // A plain descriptor: a file stream would set up the C++ locales, a quarter of
    // a megabyte of the standard library's pages, for this one look at start-up.
    const std::string probe = folder + ".pipiron-probe-" + std::to_string(::getpid());
    const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

FolderProbe& probe() {
    static FolderProbe current = probeByWriting;
    return current;
}

std::string configHome() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') return xdg;
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.config";
}

}  // namespace

void setFolderProbe(FolderProbe newProbe) {
    probe() = newProbe ? std::move(newProbe) : FolderProbe(probeByWriting);
}

bool folderIsWritable(const std::string& folder) {
    return probe()(folder);
}

SettingsFiles settingsFilesFor(const std::string& executablePath) {
    const std::string beside = changeFileExt(executablePath, ".ini");
    const std::string folder = extractFilePath(executablePath);
    if (folder.empty()) return {beside, {}};
    std::error_code ignored;
    const bool installed = std::filesystem::is_regular_file(folder + kInstalledMarker, ignored);
    if (!installed && folderIsWritable(folder)) return {beside, {}};
    // The folder is made by the first write, not here: a lookup leaves no trace.
    return {configHome() + "/pipiron/" + beside.substr(folder.size()), beside};
}

std::string helpFileFor(const std::string& executablePath) {
    return changeFileExt(executablePath, ".hlp");
}
