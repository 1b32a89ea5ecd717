#include "sound/mediaplayer.h"

#include "app/errors.h"
#include "sound/audioengine.h"
#include "sound/wavfile.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
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

// How long Open waits for the file. A file on a local disk is opened and checked
// in milliseconds; one that is not even checked by then (a hung network folder) is
// taken as one that cannot be opened, and the program beeps instead.
constexpr auto kCheckWait = std::chrono::milliseconds(1500);

// What the checking thread found, for Open waiting on it.
struct Check {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    std::shared_ptr<const WavFile> file;
    std::string why;  // when there is no file
};

// On a thread of its own, so that a file whose open never returns holds up neither
// the GUI thread nor the sound thread. What it finds too late dies with `check`.
void checkSound(std::vector<std::string> paths, std::shared_ptr<Check> check) {
    std::string why;
    std::shared_ptr<const WavFile> file = WavFile::open(paths, why);
    {
        const std::lock_guard lock(check->mutex);
        check->finished = true;
        check->file = std::move(file);
        check->why = std::move(why);
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
    auto check = std::make_shared<Check>();
    std::thread(checkSound, std::move(paths), check).detach();
    std::unique_lock lock(check->mutex);
    if (!check->done.wait_for(lock, kCheckWait, [&check] { return check->finished; }))
        fail("No answer from " + FileName);
    if (!check->file) fail(check->why);
    engine().setSound(std::move(check->file));
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
    engine().setSound(nullptr);
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
