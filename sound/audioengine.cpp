#include "sound/audioengine.h"

#include "sound/beeptone.h"
#include "sound/sdlaudio.h"
#include "sound/soundlog.h"
#include "sound/wavclip.h"

#include <pthread.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <future>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int kRate = 44100;
// 256 frames (6 ms) put the first sample of a ring within a few milliseconds of
// its tick, and Stop silences as quickly.
constexpr int kBufferFrames = 256;
// But a buffer that small runs dry whenever the machine is busy for a moment.
// A sound that plays on moves, as soon as it has started, to a device of 8192
// frames (186 ms), as robust as any player's: the first device plays on until the
// second is heard, and the two cross-fade over 10 ms.
constexpr int kSteadyFrames = 8192;
constexpr int kFadeFrames = kRate / 100;
constexpr double kSteadyWhenLeft = 1.0;  // seconds of the sound still to play
constexpr auto kHandoverCheck = 5ms;
constexpr std::size_t kDecodeFrames = 1024;
constexpr unsigned kMaxChannels = 8;
// Beeps a second apart, and a sound that starts again at the tick after its
// end, keep the device through the whole alarm minute.
constexpr auto kQuietBeforeClose = 1500ms;
constexpr auto kOpenDeviceCheck = 100ms;

std::vector<float> toneOf(unsigned type) {
    const auto samples = beepTone(type, kRate);
    std::vector<float> tone(samples.size());
    std::transform(samples.begin(), samples.end(), tone.begin(),
                   [](std::int16_t s) { return float(s) / 32767.0f; });
    return tone;
}

}  // namespace

struct AudioEngine::Command {
    enum class Kind { Load, Drop, Play, Pause, Rewind, Beep, Prepare, Sync, Quit } kind;
    int value = 0;  // Beep: the type; Prepare: milliseconds to hold; Load: which load
    std::shared_ptr<const WavClip> clip = {};
    std::shared_ptr<std::promise<void>> done = {};
};

// Everything the device's callback touches. The engine thread changes it only
// while holding the device's lock, or while no device is open.
struct AudioEngine::Device {
    enum class Voice { Ready, Playing, Paused, Ended };
    struct Beep {
        const std::vector<float>* tone = nullptr;
        std::size_t at = 0;
    };

    AudioEngine* engine = nullptr;
    const SdlAudio* sdl = nullptr;
    SDL_AudioDeviceID id = 0;
    bool steady = false;  // opened with kSteadyFrames
    bool reports = true;  // its sound's progress is the engine's
    // Taking over: the frame it starts at is taken at its first call, from where
    // the device it takes over from stands then.
    const std::atomic<std::uint64_t>* alignWith = nullptr;
    Clock::time_point openedAt{};
    Clock::time_point heardFrom{};  // when its first frames are heard
    std::atomic<int> calls{0};
    int fadeIn = kFadeFrames;  // frames of its fade-in done
    bool fadingOut = false;
    int fadeOut = kFadeFrames;  // frames of its fade-out left

    std::shared_ptr<const WavClip> clip;
    SDL_AudioStream* converter = nullptr;  // the clip's rate and channels to the device's
    Voice voice = Voice::Ready;
    std::size_t nextFrame = 0;  // of the clip, handed to the converter
    bool flushed = false;
    std::uint64_t heardFrames = 0;

    std::vector<float> ok, exclamation;
    std::array<Beep, 4> beeps;

    std::vector<float> mixed, converted, decoded;

    static void SDLCALL callback(void* self, Uint8* stream, int bytes) {
        auto* device = static_cast<Device*>(self);
        if (device->alignWith) device->align();
        device->fill(reinterpret_cast<std::int16_t*>(stream), bytes / 4);
        ++device->calls;
    }

    // SDL may have written a buffer of silence while the device started paused:
    // these frames then play only after it, which a later first call tells.
    void align() {
        const double early = std::chrono::duration<double>(Clock::now() - openedAt).count() * kRate;
        const double queued =
            early > kSteadyFrames / 4.0 ? std::max(0.0, kSteadyFrames - early) : 0;
        heardFrames = alignWith->load() + std::uint64_t(queued);
        heardFrom = Clock::now() + std::chrono::microseconds(std::int64_t(queued * 1e6 / kRate));
        alignWith = nullptr;
        if (!converter) return;
        nextFrame = std::min(clip->frames(), std::size_t(heardFrames * clip->sampleRate() / kRate));
        sdl->AudioStreamClear(converter);
        flushed = false;
    }

    void fill(std::int16_t* out, int frames) {
        while (frames > 0) {
            const int n = std::min(frames, kBufferFrames);
            std::fill_n(mixed.begin(), 2 * n, 0.0f);
            mixSound(n);
            mixBeeps(n);
            for (int i = 0; i < 2 * n; ++i) {
                const float gain = float(fadingOut ? fadeOut : fadeIn) / kFadeFrames;
                if (i % 2 == 1 && fadingOut && fadeOut > 0)
                    --fadeOut;
                else if (i % 2 == 1 && !fadingOut && fadeIn < kFadeFrames)
                    ++fadeIn;
                out[i] =
                    std::int16_t(std::lrint(std::clamp(mixed[i] * gain, -1.0f, 1.0f) * 32767.0f));
            }
            out += 2 * n;
            frames -= n;
        }
    }

    void mixSound(int frames) {
        if (voice != Voice::Playing || !converter) return;
        const int wanted = frames * 2 * int(sizeof(float));
        const unsigned channels = clip->channels();
        while (!flushed && sdl->AudioStreamAvailable(converter) < wanted) {
            const std::size_t n = std::min(kDecodeFrames, clip->frames() - nextFrame);
            if (n == 0) {
                sdl->AudioStreamFlush(converter);
                flushed = true;
                break;
            }
            clip->decode(nextFrame, n, decoded.data());
            sdl->AudioStreamPut(converter, decoded.data(), int(n * channels * sizeof(float)));
            nextFrame += n;
        }
        const int got = std::max(0, sdl->AudioStreamGet(converter, converted.data(), wanted));
        const int gotFrames = got / int(2 * sizeof(float));
        for (int i = 0; i < 2 * gotFrames; ++i) mixed[i] += converted[i];
        heardFrames += std::uint64_t(gotFrames);
        if (reports) engine->m_heardFrames = heardFrames;
        if (gotFrames < frames && flushed) {
            voice = Voice::Ended;
            if (reports) engine->m_soundPlaying = false;
        }
    }

    void mixBeeps(int frames) {
        for (Beep& beep : beeps) {
            if (!beep.tone) continue;
            const std::size_t n = std::min(std::size_t(frames), beep.tone->size() - beep.at);
            const float* tone = beep.tone->data() + beep.at;
            for (std::size_t i = 0; i < n; ++i) {
                mixed[2 * i] += tone[i];
                mixed[2 * i + 1] += tone[i];
            }
            beep.at += n;
            if (beep.at == beep.tone->size()) beep = {};
        }
    }

    bool busy() const {
        return voice == Voice::Playing ||
               std::any_of(beeps.begin(), beeps.end(), [](const Beep& b) { return b.tone; });
    }

    void lock() const {
        if (id) sdl->LockAudioDevice(id);
    }
    void unlock() const {
        if (id) sdl->UnlockAudioDevice(id);
    }

    // A converter for the clip from where the sound stands; none without a device.
    void makeConverter() {
        if (converter) sdl->FreeAudioStream(converter);
        nextFrame = 0;
        converter = nullptr;
        flushed = false;
        if (!id || !clip) return;
        converter = sdl->NewAudioStream(AUDIO_F32SYS, Uint8(clip->channels()),
                                        int(clip->sampleRate()), AUDIO_F32SYS, 2, kRate);
        if (!converter) qCDebug(lcSound, "no converter for the sound: %s", sdl->GetError());
        nextFrame = std::min(clip->frames(), std::size_t(heardFrames * clip->sampleRate() / kRate));
    }

    // Seconds of the sound still to be handed to the device.
    double secondsLeft() const {
        return clip ? double(clip->frames() - nextFrame) / clip->sampleRate() : 0.0;
    }

    void startSound() {
        heardFrames = 0;
        engine->m_heardFrames = 0;
        makeConverter();
        voice = Voice::Playing;
        engine->m_soundPlaying = true;
    }

    void startBeep(unsigned type) {
        const std::vector<float>* tone = type == 48 ? &exclamation : &ok;
        auto slot = std::find_if(beeps.begin(), beeps.end(), [](const Beep& b) { return !b.tone; });
        if (slot == beeps.end())
            slot = std::max_element(beeps.begin(), beeps.end(),
                                    [](const Beep& a, const Beep& b) { return a.at < b.at; });
        *slot = {tone, 0};
    }
};

AudioEngine& AudioEngine::instance() {
    // Never destroyed: a file that took long to read may still bring its samples
    // while the process ends. The program ends the engine itself (shutdown).
    static AudioEngine* const engine = new AudioEngine;
    return *engine;
}

AudioEngine::AudioEngine() : m_device(std::make_unique<Device>()) {
    m_device->engine = this;
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

int AudioEngine::expectSound() {
    int number = 0;
    {
        const std::lock_guard lock(m_mutex);
        number = ++m_loadsPosted;
    }
    m_soundState = SoundState::Loading;
    post({Command::Kind::Drop});
    return number;
}

void AudioEngine::soundRead(int number, std::shared_ptr<const WavClip> clip) {
    post({Command::Kind::Load, number, std::move(clip)});
}

void AudioEngine::dropSound() {
    {
        // A file still being read must not come back as the sound.
        const std::lock_guard lock(m_mutex);
        ++m_loadsPosted;
    }
    m_soundState = SoundState::None;
    post({Command::Kind::Drop});
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
    return std::min(double(m_heardFrames) / kRate, double(m_soundLength));
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
    switch (kind) {
        case Command::Kind::Load:
            load(std::move(command.clip), command.value);
            break;
        case Command::Kind::Drop: {
            d.lock();
            d.voice = Device::Voice::Ready;
            d.heardFrames = 0;
            auto old = std::move(d.clip);
            d.makeConverter();
            d.unlock();
            m_soundPlaying = false;
            m_heardFrames = 0;
            break;
        }
        case Command::Kind::Play:
            if (!openDevice()) {
                unheard();
                break;
            }
            d.lock();
            if (!d.clip || !d.converter)
                d.startBeep(0);
            else if (d.voice == Device::Voice::Ready || d.voice == Device::Voice::Ended) {
                d.startSound();
            } else if (d.voice == Device::Voice::Paused) {
                d.voice = Device::Voice::Playing;
                m_soundPlaying = true;
            }
            d.unlock();
            m_quietSince = Clock::now();
            break;
        case Command::Kind::Pause:
            d.lock();
            if (d.voice == Device::Voice::Playing) d.voice = Device::Voice::Paused;
            d.unlock();
            m_soundPlaying = false;
            break;
        case Command::Kind::Rewind:
            d.lock();
            d.voice = Device::Voice::Ready;
            d.heardFrames = 0;
            d.makeConverter();
            d.unlock();
            m_soundPlaying = false;
            m_heardFrames = 0;
            break;
        case Command::Kind::Beep:
            if (!openDevice()) {
                unheard();
                break;
            }
            d.lock();
            d.startBeep(unsigned(command.value));
            d.unlock();
            m_quietSince = Clock::now();
            break;
        case Command::Kind::Prepare:
            if (openDevice())
                m_holdUntil =
                    std::max(m_holdUntil, Clock::now() + std::chrono::milliseconds(command.value));
            break;
        case Command::Kind::Sync:
            command.done->set_value();
            break;
        case Command::Kind::Quit:
            break;
    }
    // Closed, a device of the larger buffer stops taking samples at once, though SDL
    // lets it play out what it has queued (up to 186 ms); open, it would go on.
    if ((kind == Kind::Pause || kind == Kind::Rewind || kind == Kind::Drop) && d.steady) {
        shut(d);
        if (m_fading) shut(*m_fading);
    }
}

void AudioEngine::load(std::shared_ptr<const WavClip> clip, int number) {
    {
        // Another sound was asked for while this one was read.
        const std::lock_guard lock(m_mutex);
        if (number != m_loadsPosted) return;
    }
    Device& d = *m_device;
    d.lock();
    d.voice = Device::Voice::Ready;
    d.heardFrames = 0;
    std::swap(d.clip, clip);
    d.makeConverter();
    d.unlock();
    if (d.steady) shut(d);
    m_soundPlaying = false;
    m_heardFrames = 0;

    const std::lock_guard lock(m_mutex);
    if (number != m_loadsPosted) return;
    m_soundLength = d.clip ? d.clip->seconds() : 0.0;
    m_soundState = d.clip ? SoundState::Ready : SoundState::Failed;
}

bool AudioEngine::audioUp() {
    if (m_audioUp) return true;
    Device& d = *m_device;
    d.sdl = d.sdl ? d.sdl : SdlAudio::get();
    if (!d.sdl) {
        m_deviceLost = true;
        return false;
    }
    if (d.sdl->InitSubSystem(SDL_INIT_AUDIO) != 0) {
        qCDebug(lcSound, "no audio driver: %s", d.sdl->GetError());
        m_deviceLost = true;
        return false;
    }
    m_audioUp = true;
    m_quietSince = Clock::now();
    return true;
}

bool AudioEngine::openDevice() {
    Device& d = *m_device;
    if (d.id) return true;
    if (!audioUp()) return false;
    if (!openInto(d, kBufferFrames)) {
        d.sdl->QuitSubSystem(SDL_INIT_AUDIO);
        m_audioUp = false;
        m_deviceLost = true;
        return false;
    }
    if (d.voice == Device::Voice::Playing) d.voice = Device::Voice::Ended;
    m_quietSince = Clock::now();
    m_deviceLost = false;
    d.sdl->PauseAudioDevice(d.id, 0);
    return true;
}

bool AudioEngine::openInto(Device& d, int frames) {
    d.engine = this;
    d.sdl = m_device->sdl;
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
    if (d.ok.empty()) {
        d.ok = toneOf(0);
        d.exclamation = toneOf(48);
        d.mixed.resize(2 * kBufferFrames);
        d.converted.resize(2 * kBufferFrames);
        d.decoded.resize(kDecodeFrames * kMaxChannels);
    }
    d.id = id;  // the callback is not running yet: the device starts paused
    d.steady = frames == kSteadyFrames;
    d.makeConverter();
    return true;
}

void AudioEngine::shut(Device& d) {
    if (!d.id) return;
    d.sdl->CloseAudioDevice(d.id);
    d.id = 0;
    d.makeConverter();
    d.beeps = {};
    if (d.voice == Device::Voice::Playing) d.voice = Device::Voice::Ended;
    if (d.reports) m_soundPlaying = false;
    qCDebug(lcSound, "sound device closed");
}

void AudioEngine::closeAll() {
    abandonHandover();
    if (m_fading) shut(*m_fading);
    m_fading.reset();
    shut(*m_device);
    if (m_audioUp) m_device->sdl->QuitSubSystem(SDL_INIT_AUDIO);
    m_audioUp = false;
}

// The sound has played a moment and goes on for a while: a device of the larger
// buffer opens beside the first one and starts where the first one stands.
void AudioEngine::beginHandover() {
    Device& d = *m_device;
    auto next = std::make_unique<Device>();
    next->ok = d.ok;
    next->exclamation = d.exclamation;
    next->mixed.resize(d.mixed.size());
    next->converted.resize(d.converted.size());
    next->decoded.resize(d.decoded.size());
    d.lock();
    next->clip = d.clip;
    next->heardFrames = d.heardFrames;
    d.unlock();
    next->reports = false;
    if (!openInto(*next, kSteadyFrames)) return;
    next->voice = Device::Voice::Playing;
    next->alignWith = &m_heardFrames;
    next->fadeIn = 0;
    m_next = std::move(next);
    m_next->sdl->PauseAudioDevice(m_next->id, 0);
}

// Its frames, fading in, are heard once any silence SDL wrote before them has
// played: the first device fades out.
void AudioEngine::completeHandover() {
    Device& first = *m_device;
    first.lock();
    first.reports = false;
    first.fadingOut = true;
    first.unlock();
    m_next->lock();
    m_next->reports = true;
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
        busy = d.busy();
        // Drivers that write on a timer of their own (disk, dummy) have no server
        // to fall behind, and the disk driver has one file for one device.
        handOver = !d.steady && d.voice == Device::Voice::Playing &&
                   std::none_of(d.beeps.begin(), d.beeps.end(),
                                [](const Device::Beep& b) { return b.tone; }) &&
                   d.secondsLeft() >= kSteadyWhenLeft;
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
