#include "settings/profilepath.h"

#include <gtest/gtest.h>

struct PathCase {
    const char* path;
    const char* ini;
    const char* folder;
};

class ProfilePathTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(ProfilePathTest, SplitsAtTheLastSeparator) {
    const PathCase& c = GetParam();
    EXPECT_EQ(changeFileExt(c.path, ".ini"), c.ini) << c.path;
    EXPECT_EQ(extractFilePath(c.path), c.folder) << c.path;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ProfilePathTest,
    ::testing::Values(
        PathCase{"/opt/pipiron/pipiron", "/opt/pipiron/pipiron.ini", "/opt/pipiron/"},
        PathCase{"/opt/pipiron/pipiron.exe", "/opt/pipiron/pipiron.ini", "/opt/pipiron/"},
        PathCase{"/opt/pipiron/pipiron.v1.01", "/opt/pipiron/pipiron.v1.ini", "/opt/pipiron/"},
        // A dot in a folder name is no extension of the file.
        PathCase{"/home/u/.local/bin/pipiron", "/home/u/.local/bin/pipiron.ini",
                 "/home/u/.local/bin/"},
        PathCase{"C:\\TOOLS.V2\\PIPIRON", "C:\\TOOLS.V2\\PIPIRON.ini", "C:\\TOOLS.V2\\"},
        PathCase{"C:PIPIRON.EXE", "C:PIPIRON.ini", "C:"}, PathCase{"a.b:c", "a.b:c.ini", "a.b:"},
        PathCase{"pipiron", "pipiron.ini", ""},
        PathCase{"/opt/x/.hidden", "/opt/x/.ini", "/opt/x/"},
        PathCase{"/opt/x/", "/opt/x/.ini", "/opt/x/"}, PathCase{"", ".ini", ""},
        // UTF-8 names split by bytes: no byte of a multi-byte character is "/", "\", "." or ":".
        PathCase{"/ホーム/ぴぴろん.bin", "/ホーム/ぴぴろん.ini", "/ホーム/"},
        PathCase{"/ソフト.表/ぴぴろん", "/ソフト.表/ぴぴろん.ini", "/ソフト.表/"}));
