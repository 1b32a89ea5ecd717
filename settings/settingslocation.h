#pragma once

#include <functional>
#include <string>

// Whether a folder takes new files. Replaceable in tests: as root every folder
// does, whatever its permissions.
using FolderProbe = std::function<bool(const std::string& folder)>;
void setFolderProbe(FolderProbe probe);
bool folderIsWritable(const std::string& folder);

// pipiron.ini beside the executable when its folder can be written (a portable
// copy), otherwise $XDG_CONFIG_HOME/pipiron/<name>.ini (default ~/.config).
std::string settingsFileFor(const std::string& executablePath);

// The help file: the executable's path with ".hlp".
std::string helpFileFor(const std::string& executablePath);
