#include "settings/settingslocation.h"
#include "settings/wavpath.h"
#include "tempfolder.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace fs = std::filesystem;

TEST(WavPath, FindsTheSoundTheWayTheLinuxEditionDoes) {
    struct Case {
        const char* text;
        const char* path;
    } cases[] = {{"chime.wav", "/opt/pp/chime.wav"},
                 {"c:\\windows\\media\\tada.wav", "/opt/pp/media/tada.wav"},
                 {"D:tada.wav", "/opt/pp/media/tada.wav"},
                 // Shift-JIS from a Windows file: the second byte of 表 is "\".
                 {"c:\\\x89\xb9\\\x95\x5c.wav", "/opt/pp/media/\x95\x5c.wav"},
                 {"c:\\\x95\x5c\\\x83\x60.wav", "/opt/pp/media/\x83\x60.wav"},
                 {"c:\\表\\チ.wav", "/opt/pp/media/チ.wav"},
                 {"/usr/share/sounds/x.wav", "/usr/share/sounds/x.wav"},
                 {"\\x.wav", "/opt/pp/\\x.wav"},
                 {"\\\\x.wav", "/opt/pp/\\\\x.wav"},
                 {"\x83\x60.wav", "/opt/pp/\x83\x60.wav"},
                 {"sub/x.wav", "/opt/pp/sub/x.wav"},
                 {"", "/opt/pp/"}};
    for (const Case& c : cases)
        EXPECT_EQ(resolveWavPath(c.text, "/opt/pp/pipiron"), c.path) << c.text;
}

// Installed or portable is told by the file the install leaves, never by where the
// folder is or whether it can be written; the program's folder gets nothing.
TEST(SettingsLocation, PortableCopiesKeepThemBesideTheProgramInstalledOnesInTheConfigFolder) {
    TempFolder temp;
    const fs::path folder = temp.path() / "pp";
    const fs::path config = temp.path() / "config";
    fs::create_directory(folder);
    const std::string beside = folder / "mezamashi.ini";
    const std::string inConfig = config / "pipiron" / "mezamashi.ini";
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    const struct {
        bool installed, writable;
        std::string path, carriedFrom;
    } cases[] = {{false, true, beside, ""},
                 {false, false, inConfig, beside},
                 {true, true, inConfig, beside},
                 {true, false, inConfig, beside}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "installed " << c.installed << ", writable " << c.writable);
        fs::remove_all(config);
        fs::remove(folder / kInstalledMarker);
        if (c.installed) writeBytes(folder / kInstalledMarker, "");
        setFolderProbe([&](const std::string&) { return c.writable; });
        const SettingsFiles files = settingsFilesFor(folder / "mezamashi");
        EXPECT_EQ(files.path, c.path);
        EXPECT_EQ(files.carriedFrom, c.carriedFrom);
        EXPECT_EQ(fs::is_directory(config / "pipiron"), c.path == inConfig);
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), c.installed ? 1 : 0);
    }
    // Without XDG_CONFIG_HOME, or with a relative one, the folder is under HOME.
    setFolderProbe(nullptr);
    setenv("HOME", temp.path().c_str(), 1);
    for (const char* xdg : {"", "relative"}) {
        setenv("XDG_CONFIG_HOME", xdg, 1);
        EXPECT_EQ(settingsFilesFor(folder / "pipiron").path,
                  temp.path() / ".config" / "pipiron" / "pipiron.ini");
    }
    EXPECT_EQ(helpFileFor("/opt/pp/pipiron.bin"), "/opt/pp/pipiron.hlp");
}
