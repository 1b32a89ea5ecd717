#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

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

    // The alarm sound becomes the checked WAV file open on `fd`, which the engine
    // reads into memory and closes; the previous sound stops at once.
    void loadSound(int fd);
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

private:
    struct Command;
    struct Device;

    AudioEngine();
    void post(Command command);
    void run();
    void handle(Command& command);
    bool openDevice();
    void closeDevice();
    void lookAfterDevice();
    void unheard();
    void load(int fd, int number);

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Command> m_queue;
    std::thread m_thread;
    int m_loadsPosted = 0;

    std::mutex m_unheardMutex;
    std::function<void()> m_unheard;

    std::unique_ptr<Device> m_device;  // the engine thread's own

    std::atomic<SoundState> m_soundState{SoundState::None};
    std::atomic<double> m_soundLength{0};
    std::atomic<bool> m_soundPlaying{false};
    std::atomic<std::uint64_t> m_heardFrames{0};
    std::atomic<bool> m_deviceLost{false};
};
