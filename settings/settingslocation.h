#pragma once

#include <functional>
#include <string>

// Whether a folder takes new files. Replaceable in tests: as root every folder
// does, whatever its permissions.
using FolderProbe = std::function<bool(const std::string& folder)>;
void setFolderProbe(FolderProbe probe);
bool folderIsWritable(const std::string& folder);

// The file the install leaves beside the program; a folder without it is a
// portable copy (the build tree, or one the user unpacked or copied).
inline constexpr const char* kInstalledMarker = "installed";

struct SettingsFiles {
    std::string path;         // read and written
    std::string carriedFrom;  // read, and its lines carried over, until path exists
};

// A portable copy whose folder takes files keeps <name>.ini beside the
// executable. An installed copy, or a portable one in a folder that cannot be
// written, keeps $XDG_CONFIG_HOME/pipiron/<name>.ini (default ~/.config), and a
// <name>.ini the user put beside the executable counts until that file exists.
SettingsFiles settingsFilesFor(const std::string& executablePath);

// The help file: the executable's path with ".hlp".
std::string helpFileFor(const std::string& executablePath);
