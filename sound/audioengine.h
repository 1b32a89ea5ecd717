#pragma once

#include "sound/mixer.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class WavFile;

// The program's one sound output, shared by the alarm sound and the beeps. A
// thread of its own owns the device: it loads SDL when a sound is first wanted,
// opens the device, has the alarm sound read ahead while it is about to play or
// plays, and closes the device once all has been quiet for a moment, so that no
// open or close (tens of milliseconds, up to a second against a sound server that
// has just started) ever holds up the caller. Every call returns at once.
//
// Three threads, and who owns what:
// - The GUI thread calls the public functions: they post commands to the queue and
//   read the atomics below, nothing else. m_mutex guards the queue, m_shutDown and
//   the numbering of sounds (m_soundsSet) with the state told for them.
// - "pipiron-sound" (run) takes the commands in their order and owns SDL, the
//   devices, the sound's open file and the stream read from it. It changes a
//   device's Mixer only under that device's lock (SDL_LockAudioDevice), or while
//   the device is closed.
// - SDL's callback thread of an open device runs Mixer::fill under the same lock
//   and takes the sound's frames from its WavStream, whose own reader does every
//   read of the file: a file that hangs holds up none of the three.
// A sound reaches the engine from the GUI thread alone (Open checks the file on a
// thread of its own but hands it over itself), so the commands' order is the
// order of the user's choices: a file read late can never replace a later choice.
// The state of a sound the engine finds failing is told under its number, and
// only while it is still the one set.
class AudioEngine {
public:
    enum class SoundState { None, Loading, Ready, Failed };

    // The engine, made on first use; the program ends it with shutdown().
    static AudioEngine& instance();
    AudioEngine(const AudioEngine&) = delete;
    AudioEngine& operator=(const AudioEngine&) = delete;

    // The alarm sound from now on, an opened and checked file, or none: the previous
    // sound stops at once.
    void setSound(std::shared_ptr<const WavFile> file);
    // The player's rules: Play starts a sound that is ready or has ended from its
    // beginning, resumes a paused one and lets a playing one play on; a sound that
    // cannot be had (its file fails or hangs) rings as the default beep.
    void playSound();
    void pauseSound();
    void rewindSound();
    // 0 the default sound, 48 the exclamation.
    void beep(unsigned type);
    // Opens the device ahead of need, starts reading the sound, and holds both for
    // `holdMs` at least.
    void prepare(int holdMs);

    SoundState soundState() const { return m_soundState; }
    bool soundPlaying() const { return m_progress.playing; }
    // Seconds of the sound heard since its beginning.
    double soundPosition() const;
    // The last attempt to open the device failed, or the device went away while
    // open: a ring now cannot be heard through it.
    bool deviceLost() const { return m_deviceLost; }
    // The sound's samples are held: it is about to play, plays, or has just played.
    bool soundHeld() const { return m_soundHeld; }
    // SDL's audio is up, a device open or about to be.
    bool deviceOpen() const { return m_deviceOpen; }

    // Called on the engine's thread when a sound or a beep that was asked for
    // cannot be heard because no device can be opened.
    void setUnheardHandler(std::function<void()> handler);
    // Returns once the engine has acted on every call made before; for tests and
    // benchmarks, never for the GUI thread.
    void sync();
    // Closes the device and ends the engine's thread; every later call is ignored.
    // The program calls it at its end, while Qt, its log included, is still there.
    void shutdown();

private:
    struct Command;
    struct Device;

    AudioEngine();
    ~AudioEngine();
    void post(Command command);
    void run();
    void handle(Command& command);
    void load(std::shared_ptr<const WavFile> file, int number);
    bool audioUp();
    bool openDevice();
    bool openInto(Device& device, int frames);
    void holdSound();
    void shut(Device& device);
    void closeAll();
    void beginHandover();
    void completeHandover();
    void abandonHandover();
    void lookAfterDevice();
    bool soundFails();
    void unheard();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Command> m_queue;
    std::thread m_thread;
    int m_soundsSet = 0;
    bool m_shutDown = false;

    std::mutex m_unheardMutex;
    std::function<void()> m_unheard;

    // The engine thread's own: the sound's file, the device the sound plays on, one
    // taking over from it, and one fading out after it was taken over.
    std::shared_ptr<const WavFile> m_file;
    int m_fileNumber = 0;
    std::unique_ptr<Device> m_device, m_next, m_fading;
    bool m_audioUp = false;
    std::chrono::steady_clock::time_point m_quietSince, m_holdUntil, m_fadingSince;

    std::atomic<SoundState> m_soundState{SoundState::None};
    std::atomic<double> m_soundLength{0};
    Mixer::Progress m_progress;
    std::atomic<bool> m_deviceLost{false};
    std::atomic<bool> m_soundHeld{false};
    std::atomic<bool> m_deviceOpen{false};
};
