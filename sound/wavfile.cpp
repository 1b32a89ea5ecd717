#include "sound/wavfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

std::shared_ptr<const WavFile> WavFile::open(const std::vector<std::string>& paths,
                                             std::string& why) {
    int fd = -1;
    std::string path;
    for (const std::string& candidate : paths) {
        path = candidate;
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        if (fd >= 0 || errno != ENOENT) break;
    }
    if (fd < 0) {
        why = "Couldn't open " + path + ": " + std::strerror(errno);
        return nullptr;
    }
    std::shared_ptr<WavFile> file(new WavFile(fd));
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        why = "Not a file: " + path;
        return nullptr;
    }
    const auto readAt = [&file](std::uint64_t offset, void* buffer, std::size_t count) {
        return file->readAt(offset, buffer, count);
    };
    const std::optional<WavLayout> layout =
        WavLayout::read(readAt, std::uint64_t(info.st_size), why);
    if (!layout) {
        if (why.empty()) why = "Unreadable: " + path;
        return nullptr;
    }
    file->m_layout = *layout;
    return file;
}

WavFile::~WavFile() {
    ::close(m_fd);
}

std::size_t WavFile::readAt(std::uint64_t offset, void* buffer, std::size_t count) const {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n =
            ::pread(m_fd, static_cast<char*>(buffer) + done, count - done, off_t(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += std::size_t(n);
    }
    return done;
}
