#include "sound/audioengine.h"

#include "sound/sdlaudio.h"
#include "sound/soundlog.h"
#include "sound/wavfile.h"
#include "sound/wavstream.h"

#include <pthread.h>

#include <algorithm>
#include <chrono>
#include <future>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int kRate = Mixer::kRate;
// 256 frames (6 ms) put the first sample of a ring within a few milliseconds of
// its tick, and Stop silences as quickly.
constexpr int kBufferFrames = 256;
// But a buffer that small runs dry whenever the machine is busy for a moment.
// A sound that plays on moves, as soon as it has started, to a device of 8192
// frames (186 ms), as robust as any player's: the first device plays on until the
// second is heard, and the two cross-fade over 10 ms.
constexpr int kSteadyFrames = 8192;
constexpr double kSteadyWhenLeft = 1.0;  // seconds of the sound still to play
constexpr auto kHandoverCheck = 5ms;
// Beeps a second apart, and a sound that starts again at the tick after its
// end, keep the device through the whole alarm minute.
constexpr auto kQuietBeforeClose = 1500ms;
constexpr auto kOpenDeviceCheck = 100ms;
// A read of the sound's file that takes this long is one that hangs: the alarm
// beeps instead. Prepared two seconds ahead, the ring knows it at its first tick.
constexpr auto kReadStalled = 1s;
// MessageBeep's MB_OK: what a sound that cannot be heard rings as.
constexpr unsigned kDefaultBeep = 0;

// SDL's audio stream as the mixer's converter.
class SdlConverter : public Mixer::Converter {
public:
    SdlConverter(const SdlAudio* sdl, SDL_AudioStream* stream) : m_sdl(sdl), m_stream(stream) {}
    ~SdlConverter() override { m_sdl->FreeAudioStream(m_stream); }
    SdlConverter(const SdlConverter&) = delete;
    SdlConverter& operator=(const SdlConverter&) = delete;

    void put(const float* frames, int count) override {
        m_sdl->AudioStreamPut(m_stream, frames, count * m_channels * int(sizeof(float)));
    }
    void flush() override { m_sdl->AudioStreamFlush(m_stream); }
    int available() const override {
        return m_sdl->AudioStreamAvailable(m_stream) / int(2 * sizeof(float));
    }
    int get(float* stereo, int count) override {
        const int got = m_sdl->AudioStreamGet(m_stream, stereo, count * int(2 * sizeof(float)));
        return std::max(0, got) / int(2 * sizeof(float));
    }

    int m_channels = 1;

private:
    const SdlAudio* const m_sdl;
    SDL_AudioStream* const m_stream;
};

std::unique_ptr<Mixer::Converter> sdlConverter(const SdlAudio* sdl, unsigned channels,
                                               unsigned rate) {
    SDL_AudioStream* stream =
        sdl->NewAudioStream(AUDIO_F32SYS, Uint8(channels), int(rate), AUDIO_F32SYS, 2, kRate);
    if (!stream) {
        qCDebug(lcSound, "no converter for the sound: %s", sdl->GetError());
        return nullptr;
    }
    auto converter = std::make_unique<SdlConverter>(sdl, stream);
    converter->m_channels = int(channels);
    return converter;
}

}  // namespace

struct AudioEngine::Command {
    enum class Kind { Load, Play, Pause, Rewind, Beep, Prepare, Sync, Quit } kind;
    int value = 0;  // Beep: the type; Prepare: milliseconds to hold; Load: the sound's number
    std::shared_ptr<const WavFile> file = {};
    std::shared_ptr<std::promise<void>> done = {};
};

// An SDL device and what it plays. The engine thread changes `mixer` only while
// holding the device's lock, or while no device is open.
struct AudioEngine::Device {
    const SdlAudio* sdl = nullptr;
    SDL_AudioDeviceID id = 0;
    bool steady = false;  // opened with kSteadyFrames
    // Taking over: the frame it starts at is taken at its first call, from where
    // the device it takes over from stands then.
    const std::atomic<std::uint64_t>* alignWith = nullptr;
    Clock::time_point openedAt{};
    Clock::time_point heardFrom{};  // when its first frames are heard
    std::atomic<int> calls{0};
    Mixer mixer;

    // SDL is loaded when a device is first wanted; the mixer makes converters only
    // while one is open.
    explicit Device(const SdlAudio* sdl)
        : sdl(sdl), mixer([this](unsigned channels, unsigned rate) {
              return sdlConverter(this->sdl, channels, rate);
          }) {}

    static void SDLCALL callback(void* self, Uint8* stream, int bytes) {
        auto* device = static_cast<Device*>(self);
        if (device->alignWith) device->align();
        device->mixer.fill(reinterpret_cast<std::int16_t*>(stream), bytes / 4);
        ++device->calls;
    }

    // SDL may have written a buffer of silence while the device started paused:
    // these frames then play only after it, which a later first call tells.
    void align() {
        const double early = std::chrono::duration<double>(Clock::now() - openedAt).count() * kRate;
        const double queued =
            early > kSteadyFrames / 4.0 ? std::max(0.0, kSteadyFrames - early) : 0;
        mixer.playFrom(alignWith->load() + std::uint64_t(queued));
        heardFrom = Clock::now() + std::chrono::microseconds(std::int64_t(queued * 1e6 / kRate));
        alignWith = nullptr;
    }

    void lock() const {
        if (id) sdl->LockAudioDevice(id);
    }
    void unlock() const {
        if (id) sdl->UnlockAudioDevice(id);
    }
};

AudioEngine& AudioEngine::instance() {
    static AudioEngine engine;
    return engine;
}

AudioEngine::AudioEngine() : m_device(std::make_unique<Device>(nullptr)) {
    m_device->mixer.reportTo(&m_progress);
}

AudioEngine::~AudioEngine() {
    shutdown();
}

void AudioEngine::shutdown() {
    {
        const std::lock_guard lock(m_mutex);
        if (m_shutDown) return;
        m_shutDown = true;
        if (!m_thread.joinable()) return;
        m_queue.push_back({Command::Kind::Quit});
    }
    m_wake.notify_one();
    m_thread.join();
}

void AudioEngine::post(Command command) {
    {
        const std::lock_guard lock(m_mutex);
        if (m_shutDown) {
            if (command.done) command.done->set_value();
            return;
        }
        if (!m_thread.joinable()) m_thread = std::thread(&AudioEngine::run, this);
        m_queue.push_back(std::move(command));
    }
    m_wake.notify_one();
}

void AudioEngine::setSound(std::shared_ptr<const WavFile> file) {
    int number = 0;
    {
        const std::lock_guard lock(m_mutex);
        number = ++m_soundsSet;
        m_soundState = file ? SoundState::Ready : SoundState::None;
        m_soundLength = file ? file->layout().seconds() : 0.0;
    }
    post({Command::Kind::Load, number, std::move(file)});
}

void AudioEngine::playSound() {
    post({Command::Kind::Play});
}

void AudioEngine::pauseSound() {
    post({Command::Kind::Pause});
}

void AudioEngine::rewindSound() {
    post({Command::Kind::Rewind});
}

void AudioEngine::beep(unsigned type) {
    post({Command::Kind::Beep, int(type)});
}

void AudioEngine::prepare(int holdMs) {
    post({Command::Kind::Prepare, holdMs});
}

void AudioEngine::sync() {
    auto done = std::make_shared<std::promise<void>>();
    auto finished = done->get_future();
    post({Command::Kind::Sync, 0, nullptr, done});
    finished.wait();
}

double AudioEngine::soundPosition() const {
    return std::min(double(m_progress.heardFrames) / kRate, double(m_soundLength));
}

void AudioEngine::setUnheardHandler(std::function<void()> handler) {
    const std::lock_guard lock(m_unheardMutex);
    m_unheard = std::move(handler);
}

void AudioEngine::unheard() {
    const std::lock_guard lock(m_unheardMutex);
    if (m_unheard) m_unheard();
}

void AudioEngine::run() {
    pthread_setname_np(pthread_self(), "pipiron-sound");
    for (;;) {
        std::deque<Command> commands;
        {
            std::unique_lock lock(m_mutex);
            const auto ready = [this] { return !m_queue.empty(); };
            // While a device is open it is watched, closely while one takes over from
            // another; otherwise nothing wakes this thread.
            if (m_next || m_fading)
                m_wake.wait_for(lock, kHandoverCheck, ready);
            else if (m_audioUp)
                m_wake.wait_for(lock, kOpenDeviceCheck, ready);
            else
                m_wake.wait(lock, ready);
            commands.swap(m_queue);
        }
        for (Command& command : commands) {
            if (command.kind == Command::Kind::Quit) {
                closeAll();
                return;
            }
            handle(command);
        }
        lookAfterDevice();
    }
}

void AudioEngine::handle(Command& command) {
    using Kind = Command::Kind;
    const Kind kind = command.kind;
    // Whatever changes the sound ends a takeover that has not been heard yet.
    if (kind != Kind::Play && kind != Kind::Prepare && kind != Kind::Sync) abandonHandover();
    Device& d = *m_device;
    Mixer& mixer = d.mixer;
    switch (kind) {
        case Kind::Load:
            load(std::move(command.file), command.value);
            break;
        case Kind::Play:
            if (!openDevice()) {
                unheard();
                break;
            }
            holdSound();
            d.lock();
            if (!mixer.canPlay() || soundFails())
                mixer.beep(kDefaultBeep);
            else if (mixer.voice() == Mixer::Voice::Ready || mixer.voice() == Mixer::Voice::Ended)
                mixer.start();
            else
                mixer.resume();
            d.unlock();
            m_quietSince = Clock::now();
            break;
        case Kind::Pause:
            d.lock();
            mixer.pause();
            d.unlock();
            break;
        case Kind::Rewind:
            d.lock();
            mixer.rewind();
            d.unlock();
            break;
        case Kind::Beep:
            if (!openDevice()) {
                unheard();
                break;
            }
            d.lock();
            mixer.beep(unsigned(command.value));
            d.unlock();
            m_quietSince = Clock::now();
            break;
        case Kind::Prepare:
            if (!openDevice()) break;
            holdSound();
            m_holdUntil =
                std::max(m_holdUntil, Clock::now() + std::chrono::milliseconds(command.value));
            break;
        case Kind::Sync:
            command.done->set_value();
            break;
        case Kind::Quit:
            break;
    }
    // Closed, a device of the larger buffer stops taking samples at once, though SDL
    // lets it play out what it has queued (up to 186 ms); open, it would go on.
    if ((kind == Kind::Pause || kind == Kind::Rewind || kind == Kind::Load) && d.steady) {
        shut(d);
        if (m_fading) shut(*m_fading);
    }
}

void AudioEngine::load(std::shared_ptr<const WavFile> file, int number) {
    m_file = std::move(file);
    m_fileNumber = number;
    Device& d = *m_device;
    d.lock();
    d.mixer.setSound(nullptr);
    d.mixer.rewind();
    d.unlock();
    m_soundHeld = d.mixer.sound() != nullptr;
}

// The sound's samples are read from here on, ahead of where it plays.
void AudioEngine::holdSound() {
    Device& d = *m_device;
    if (!m_file || d.mixer.sound()) return;
    auto stream = std::make_shared<WavStream>(
        m_file->layout(), [file = m_file](std::uint64_t offset, void* buffer, std::size_t count) {
            return file->readAt(offset, buffer, count);
        });
    d.lock();
    d.mixer.setSound(std::move(stream));
    d.unlock();
    m_soundHeld = d.mixer.sound() != nullptr;
}

// The sound's file hangs, or has lost all its samples since it was opened: it
// rings as the beep until another sound is chosen.
bool AudioEngine::soundFails() {
    const std::shared_ptr<WavStream>& sound = m_device->mixer.sound();
    if (!sound || (sound->stalledFor() < kReadStalled && sound->frames() > 0)) return false;
    qCDebug(lcSound, "the alarm sound cannot be read");
    const std::lock_guard lock(m_mutex);
    if (m_fileNumber == m_soundsSet) m_soundState = SoundState::Failed;
    return true;
}

bool AudioEngine::audioUp() {
    if (m_audioUp) return true;
    if (!m_device->sdl) m_device->sdl = SdlAudio::get();
    if (!m_device->sdl) {
        m_deviceLost = true;
        return false;
    }
    if (m_device->sdl->InitSubSystem(SDL_INIT_AUDIO) != 0) {
        qCDebug(lcSound, "no audio driver: %s", m_device->sdl->GetError());
        m_deviceLost = true;
        return false;
    }
    m_audioUp = m_deviceOpen = true;
    m_quietSince = Clock::now();
    return true;
}

bool AudioEngine::openDevice() {
    Device& d = *m_device;
    if (d.id) return true;
    if (!audioUp()) return false;
    if (!openInto(d, kBufferFrames)) {
        d.sdl->QuitSubSystem(SDL_INIT_AUDIO);
        m_audioUp = m_deviceOpen = false;
        m_deviceLost = true;
        return false;
    }
    m_quietSince = Clock::now();
    m_deviceLost = false;
    d.sdl->PauseAudioDevice(d.id, 0);
    return true;
}

bool AudioEngine::openInto(Device& d, int frames) {
    SDL_AudioSpec wanted{};
    wanted.freq = kRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = Uint16(frames);
    wanted.callback = &Device::callback;
    wanted.userdata = &d;
    SDL_AudioSpec obtained{};
    // SDL converts to whatever the device really takes.
    const SDL_AudioDeviceID id = d.sdl->OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (!id) {
        qCDebug(lcSound, "no sound device (%s): %s", d.sdl->GetCurrentAudioDriver(),
                d.sdl->GetError());
        return false;
    }
    d.openedAt = Clock::now();
    qCDebug(lcSound, "sound device open (%s, %d frames)", d.sdl->GetCurrentAudioDriver(), frames);
    // The callback is not running yet: the device starts paused.
    d.mixer.open(Mixer::makeTones());
    d.id = id;
    d.steady = frames == kSteadyFrames;
    return true;
}

void AudioEngine::shut(Device& d) {
    if (!d.id) return;
    d.sdl->CloseAudioDevice(d.id);
    d.id = 0;
    d.mixer.close();
    qCDebug(lcSound, "sound device closed");
}

// Everything is let go: the devices, SDL's audio and the sound's samples; the sound
// keeps its place.
void AudioEngine::closeAll() {
    abandonHandover();
    if (m_fading) shut(*m_fading);
    m_fading.reset();
    shut(*m_device);
    m_device->mixer.setSound(nullptr);
    m_soundHeld = m_device->mixer.sound() != nullptr;
    if (m_audioUp) m_device->sdl->QuitSubSystem(SDL_INIT_AUDIO);
    m_audioUp = m_deviceOpen = false;
}

// The sound has played a moment and goes on for a while: a device of the larger
// buffer opens beside the first one and starts where the first one stands.
void AudioEngine::beginHandover() {
    Device& d = *m_device;
    auto next = std::make_unique<Device>(d.sdl);
    d.lock();
    next->mixer.setSound(d.mixer.sound());
    d.unlock();
    if (!openInto(*next, kSteadyFrames)) return;
    next->mixer.playFrom(m_progress.heardFrames);
    next->mixer.fadeIn();
    next->alignWith = &m_progress.heardFrames;
    m_next = std::move(next);
    m_next->sdl->PauseAudioDevice(m_next->id, 0);
}

// Its frames, fading in, are heard once any silence SDL wrote before them has
// played: the first device fades out.
void AudioEngine::completeHandover() {
    Device& first = *m_device;
    first.lock();
    first.mixer.reportTo(nullptr);
    first.mixer.fadeOut();
    first.unlock();
    m_next->lock();
    m_next->mixer.reportTo(&m_progress);
    m_next->unlock();
    m_fading = std::move(m_device);
    m_device = std::move(m_next);
    m_fadingSince = Clock::now();
}

void AudioEngine::abandonHandover() {
    if (!m_next) return;
    shut(*m_next);
    m_next.reset();
}

void AudioEngine::lookAfterDevice() {
    const auto now = Clock::now();
    if (m_fading && now - m_fadingSince >= 100ms) {
        shut(*m_fading);
        m_fading.reset();
    }
    if (m_next) {
        m_next->lock();
        const bool heard = m_next->calls >= 1 && now >= m_next->heardFrom;
        m_next->unlock();
        if (heard)
            completeHandover();
        else if (now - m_next->openedAt >= 1s)
            abandonHandover();  // it never got going; the first device plays on
        return;
    }
    Device& d = *m_device;
    if (d.id && d.sdl->GetAudioDeviceStatus(d.id) == SDL_AUDIO_STOPPED) {
        qCDebug(lcSound, "the sound device went away");
        closeAll();
        m_deviceLost = true;
        return;
    }
    bool busy = false, handOver = false;
    if (d.id) {
        d.lock();
        if (d.mixer.voice() == Mixer::Voice::Playing && soundFails()) {
            d.mixer.pause();
            d.mixer.beep(kDefaultBeep);
        }
        busy = d.mixer.busy();
        // Drivers that write on a timer of their own (disk, dummy) have no server
        // to fall behind, and the disk driver has one file for one device.
        handOver = !d.steady && d.mixer.voice() == Mixer::Voice::Playing && !d.mixer.beeping() &&
                   d.mixer.secondsLeft() >= kSteadyWhenLeft;
        d.unlock();
    }
    const std::string_view driver = handOver ? d.sdl->GetCurrentAudioDriver() : "";
    if (handOver && driver != "disk" && driver != "dummy") {
        beginHandover();
        return;
    }
    if (busy) {
        m_quietSince = now;
        return;
    }
    // Quiet: a device of the larger buffer is let go at once, so that what comes
    // next is not heard after what it has queued.
    if (d.steady) shut(d);
    if (m_audioUp && !m_fading && now - m_quietSince >= kQuietBeforeClose && now >= m_holdUntil)
        closeAll();
}
