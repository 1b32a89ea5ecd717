#include "sound/mediaplayer.h"

#include "app/errors.h"
#include "sound/audioengine.h"
#include "sound/soundlog.h"
#include "sound/wavclip.h"
#include "sound/wavlayout.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

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

// How long Open waits for the file. A file on a local disk is checked and read in
// milliseconds; one that is not even checked by then (a hung network folder) is
// taken as one that cannot be opened, and the program beeps instead. One checked
// but still being read rings once it is read, and beeps until then.
constexpr auto kCheckWait = std::chrono::milliseconds(1500);

// What the reading thread found, for Open waiting on it.
struct Check {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    std::string why;    // empty: the sound can be played
    bool read = false;  // its samples are on their way to the engine
};

void finish(Check& check, std::string why) {
    {
        const std::lock_guard lock(check.mutex);
        check.finished = true;
        check.why = std::move(why);
    }
    check.done.notify_all();
}

// On a thread of its own, so that a file whose open or read never returns holds up
// neither the GUI thread nor the sound thread: the first of `paths` that exists is
// opened without waiting (a FIFO's open waits for a writer), checked, and then read
// whole for the engine.
void readSound(std::vector<std::string> paths, int number, std::shared_ptr<Check> check) {
    int fd = -1;
    std::string path;
    for (const std::string& candidate : paths) {
        path = candidate;
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        if (fd >= 0 || errno != ENOENT) break;
    }
    if (fd < 0) {
        finish(*check, "Couldn't open " + path + ": " + std::strerror(errno));
        return;
    }
    struct stat info {};
    const auto size = [&info] { return std::uint64_t(info.st_size); };
    const auto readAt = [fd](std::uint64_t offset, void* buffer, std::size_t count) {
        std::size_t done = 0;
        while (done < count) {
            const ssize_t n =
                ::pread(fd, static_cast<char*>(buffer) + done, count - done, off_t(offset + done));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += std::size_t(n);
        }
        return done;
    };
    std::string why;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        why = "Not a file: " + path;
    else if (!WavLayout::read(readAt, size(), why) && why.empty())
        why = "Unreadable: " + path;
    const bool playable = why.empty();
    finish(*check, why);
    if (!playable) {
        ::close(fd);
        return;
    }
    std::optional<WavClip> clip = WavClip::read(readAt, size(), why);
    ::close(fd);
    if (!clip) qCDebug(lcSound, "the alarm sound cannot be read: %s", why.c_str());
    AudioEngine::instance().soundRead(
        number, clip ? std::make_shared<const WavClip>(std::move(*clip)) : nullptr);
    {
        const std::lock_guard lock(check->mutex);
        check->read = true;
    }
    check->done.notify_all();
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
    std::vector<std::string> paths{FileName};
    paths.insert(paths.end(), OtherNames.begin(), OtherNames.end());
    if (FileName.empty()) fail("No file name");
    for (const std::string& path : paths)
        if (!hasWavExtension(path)) fail("Unsupported file type: " + path);
    const int number = engine().expectSound();
    auto check = std::make_shared<Check>();
    std::thread(readSound, std::move(paths), number, check).detach();
    const auto deadline = std::chrono::steady_clock::now() + kCheckWait;
    std::unique_lock lock(check->mutex);
    if (!check->done.wait_until(lock, deadline, [&check] { return check->finished; })) {
        // Left to finish on its own, if ever; what it brings is not taken.
        engine().dropSound();
        fail("No answer from " + FileName);
    }
    if (!check->why.empty()) {
        engine().dropSound();
        fail(check->why);
    }
    (void)check->done.wait_until(lock, deadline, [&check] { return check->read; });
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
