#include "app/fontpages.h"

#include <sys/mman.h>

#include <strings.h>
#include <cstdio>
#include <cstring>

namespace {

bool isFontFile(const char* path) {
    const char* dot = std::strrchr(path, '.');
    return dot && (strcasecmp(dot, ".ttf") == 0 || strcasecmp(dot, ".otf") == 0 ||
                   strcasecmp(dot, ".ttc") == 0);
}

}  // namespace

void releaseFontPages() {
    std::FILE* maps = std::fopen("/proc/self/maps", "re");
    if (!maps) return;
    char line[4096];
    while (std::fgets(line, sizeof line, maps)) {
        unsigned long start = 0, end = 0;
        char perms[8] = {};
        int pathAt = 0;
        if (std::sscanf(line, "%lx-%lx %7s %*s %*s %*s %n", &start, &end, perms, &pathAt) < 3 ||
            pathAt == 0)
            continue;
        line[std::strcspn(line, "\n")] = '\0';
        // Only read-only copies of a file: their pages come back from the file unchanged.
        if (perms[1] != '-' || perms[3] != 'p' || !isFontFile(line + pathAt)) continue;
        madvise(reinterpret_cast<void*>(start), end - start, MADV_DONTNEED);
    }
    std::fclose(maps);
}
