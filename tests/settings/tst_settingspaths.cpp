#include "settings/settingslocation.h"
#include "settings/wavpath.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

TEST(WavPath, FindsTheSoundTheWayTheLinuxEditionDoes) {
    struct Case {
        const char* text;
        const char* path;
    } cases[] = {{"chime.wav", "/opt/pp/chime.wav"},
                 {"c:\\windows\\media\\tada.wav", "/opt/pp/media/tada.wav"},
                 {"D:tada.wav", "/opt/pp/media/tada.wav"},
                 {"/usr/share/sounds/x.wav", "/usr/share/sounds/x.wav"},
                 {"\\x.wav", "/opt/pp/\\x.wav"},
                 {"\\\\x.wav", "/opt/pp/\\\\x.wav"},
                 {"sub/x.wav", "/opt/pp/sub/x.wav"},
                 {"", "/opt/pp/"}};
    for (const Case& c : cases)
        EXPECT_EQ(resolveWavPath(c.text, "/opt/pp/pipiron"), c.path) << c.text;
}

TEST(SettingsLocation, BesideTheProgramWhenItsFolderTakesFilesElseInTheConfigHome) {
    const auto home = std::filesystem::temp_directory_path() / "pipiron-config-test";
    setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    struct Case {
        bool writable;
        std::string expected;
    } cases[] = {{true, "/opt/pp/pipiron.ini"},
                 {false, (home / "pipiron" / "pipiron.ini").string()}};
    for (const Case& c : cases) {
        setFolderProbe([&](const std::string& folder) {
            EXPECT_EQ(folder, "/opt/pp/");
            return c.writable;
        });
        EXPECT_EQ(settingsFileFor("/opt/pp/pipiron"), c.expected);
    }
    setFolderProbe(nullptr);
    EXPECT_TRUE(std::filesystem::is_directory(home / "pipiron"));
    std::filesystem::remove_all(home);
    EXPECT_EQ(helpFileFor("/opt/pp/pipiron.bin"), "/opt/pp/pipiron.hlp");
}
