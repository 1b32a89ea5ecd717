#include "sound/mediaplayer.h"

#include "app/errors.h"
#include "sound/audioengine.h"
#include "sound/wavlayout.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

const char* const kUnknownError = "原因不明のｴﾗｰ";

[[noreturn]] void fail(const std::string& text) {
    throw EMCIDeviceError(text.empty() ? std::string(kUnknownError) : text);
}

bool hasWavExtension(const std::string& path) {
    const auto dot = path.find_last_of("./");
    if (dot == std::string::npos || path[dot] != '.') return false;
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(c | 0x20); });
    return ext == "wav";
}

// The file open for reading once its layout has been checked; raises otherwise.
int openChecked(const std::string& path) {
    if (path.empty()) fail("No file name");
    if (!hasWavExtension(path)) fail("Unsupported file type: " + path);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) fail("Couldn't open " + path + ": " + std::strerror(errno));
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        fail("Couldn't open " + path);
    }
    const auto readAt = [fd](std::uint64_t offset, void* buffer, std::size_t count) {
        const ssize_t n = ::pread(fd, buffer, count, off_t(offset));
        return n < 0 ? std::size_t(0) : std::size_t(n);
    };
    std::string why;
    if (!WavLayout::read(readAt, std::uint64_t(info.st_size), why)) {
        ::close(fd);
        fail(why);
    }
    return fd;
}

AudioEngine& engine() {
    return AudioEngine::instance();
}

}  // namespace

TMediaPlayer::~TMediaPlayer() {
    Close();
}

void TMediaPlayer::Open() {
    Close();
    const int fd = openChecked(FileName);
    engine().loadSound(fd);
    m_open = true;
}

bool TMediaPlayer::Play() {
    if (!m_open || engine().soundState() == AudioEngine::SoundState::Failed ||
        engine().deviceLost())
        return false;
    engine().playSound();
    return true;
}

void TMediaPlayer::Stop() {
    if (m_open) engine().pauseSound();
}

void TMediaPlayer::SeekToStart() {
    if (m_open) engine().rewindSound();
}

void TMediaPlayer::Close() {
    if (!m_open) return;
    m_open = false;
    engine().dropSound();
}

void TMediaPlayer::prepare() {
    // From the last ticks before the minute over its first, where ringing takes over.
    engine().prepare(3000);
}

bool TMediaPlayer::isPlaying() const {
    return m_open && engine().soundPlaying();
}

double TMediaPlayer::position() const {
    return m_open ? engine().soundPosition() : 0.0;
}

double TMediaPlayer::length() const {
    return m_open ? engine().soundLength() : 0.0;
}
