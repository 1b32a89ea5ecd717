#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class WavClip;

// The program's one sound output, shared by the alarm sound and the beeps. A
// thread of its own owns the device: it loads SDL when a sound is first wanted,
// opens the device, reads the alarm sound's samples, mixes the sound and the beeps
// in the device's callback, and closes the device once all has been quiet for a
// moment, so that no open or close (tens of milliseconds, up to a second against a
// sound server that has just started) ever holds up the caller. Every call returns
// at once; the device is held only while something plays or is about to.
class AudioEngine {
public:
    enum class SoundState { None, Loading, Ready, Failed };

    static AudioEngine& instance();
    ~AudioEngine();
    AudioEngine(const AudioEngine&) = delete;
    AudioEngine& operator=(const AudioEngine&) = delete;

    // A new alarm sound is on its way: the previous one stops at once, and until
    // soundRead brings the samples under the number returned, a ring beeps.
    int expectSound();
    // The samples read for the sound `number`, or nullptr when its file could not
    // be read. Any thread may call it; a sound expected since is not replaced.
    void soundRead(int number, std::shared_ptr<const WavClip> clip);
    void dropSound();
    // The player's rules: Play starts a sound that is ready or has ended from its
    // beginning, resumes a paused one and lets a playing one play on; a sound that
    // cannot be had (its file could not be read) rings as the default beep.
    void playSound();
    void pauseSound();
    void rewindSound();
    // 0 the default sound, 48 the exclamation.
    void beep(unsigned type);
    // Opens the device ahead of need and holds it for `holdMs` at least.
    void prepare(int holdMs);

    SoundState soundState() const { return m_soundState; }
    double soundLength() const { return m_soundLength; }
    bool soundPlaying() const { return m_soundPlaying; }
    // Seconds of the sound heard since its beginning.
    double soundPosition() const;
    // The last attempt to open the device failed, or the device went away while
    // open: a ring now cannot be heard through it.
    bool deviceLost() const { return m_deviceLost; }

    // Called on the engine's thread when a sound or a beep that was asked for
    // cannot be heard because no device can be opened.
    void setUnheardHandler(std::function<void()> handler);
    // Returns once the engine has acted on every call made before; for tests and
    // benchmarks, never for the GUI thread.
    void sync();
    // Closes the device and ends the engine's thread; every later call is ignored.
    // The program calls it before its application object goes.
    void shutdown();

private:
    struct Command;
    struct Device;

    AudioEngine();
    void post(Command command);
    void run();
    void handle(Command& command);
    bool audioUp();
    bool openDevice();
    bool openInto(Device& device, int frames);
    void shut(Device& device);
    void closeAll();
    void beginHandover();
    void completeHandover();
    void abandonHandover();
    void lookAfterDevice();
    void unheard();
    void load(std::shared_ptr<const WavClip> clip, int number);

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Command> m_queue;
    std::thread m_thread;
    int m_loadsPosted = 0;
    bool m_shutDown = false;

    std::mutex m_unheardMutex;
    std::function<void()> m_unheard;

    // The engine thread's own: the device the sound plays on, one taking over
    // from it, and one fading out after it was taken over.
    std::unique_ptr<Device> m_device, m_next, m_fading;
    bool m_audioUp = false;
    std::chrono::steady_clock::time_point m_quietSince, m_holdUntil, m_fadingSince;

    std::atomic<SoundState> m_soundState{SoundState::None};
    std::atomic<double> m_soundLength{0};
    std::atomic<bool> m_soundPlaying{false};
    std::atomic<std::uint64_t> m_heardFrames{0};
    std::atomic<bool> m_deviceLost{false};
};
