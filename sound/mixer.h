#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class WavStream;

// What one sound device plays: the alarm sound and the beeps, mixed into 16-bit
// stereo at kRate, with a short fade when one device takes over from another.
// Plain C++: the device's callback calls fill, the sound's thread everything else,
// each under the device's lock.
class Mixer {
public:
    static constexpr int kRate = 44100;
    static constexpr int kFadeFrames = kRate / 100;
    enum class Voice { Ready, Playing, Paused, Ended };

    // Turns a sound of another rate or more channels into stereo at kRate: SDL's
    // audio stream in the program. Counts are in frames.
    class Converter {
    public:
        virtual ~Converter() = default;
        virtual void put(const float* frames, int count) = 0;
        virtual void flush() = 0;
        virtual int available() const = 0;
        virtual int get(float* stereo, int count) = 0;
    };
    // nullptr when none can be made: the sound then cannot be heard.
    using MakeConverter =
        std::function<std::unique_ptr<Converter>(unsigned channels, unsigned rate)>;

    // The two beeps, mono at kRate: 0 the default sound, 48 the exclamation.
    struct Tones {
        std::vector<float> ok, exclamation;
    };
    static std::shared_ptr<const Tones> makeTones();

    // Where the heard sound stands, for the engine to tell its callers.
    struct Progress {
        std::atomic<std::uint64_t> heardFrames{0};
        std::atomic<bool> playing{false};
    };

    explicit Mixer(MakeConverter makeConverter = {});
    ~Mixer();
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    // The device opened, with its beeps; closed, all it held is let go and a sound
    // playing counts as ended.
    void open(std::shared_ptr<const Tones> tones);
    void close();
    // Null: no sound. The sound keeps its voice and its place.
    void setSound(std::shared_ptr<WavStream> sound);
    const std::shared_ptr<WavStream>& sound() const { return m_sound; }
    // Where the sound's progress goes, or nullptr.
    void reportTo(Progress* progress);

    bool canPlay() const { return m_sound && (direct() || m_converter); }
    void start() { playFrom(0); }
    // Plays the sound on from `heardFrames`, where another device stands.
    void playFrom(std::uint64_t heardFrames);
    void resume();  // a paused sound
    void pause();
    void rewind();  // Ready at the beginning
    void beep(unsigned type);
    void fadeIn() { m_fadeIn = 0; }
    void fadeOut() { m_fadingOut = true; }

    Voice voice() const { return m_voice; }
    std::uint64_t heardFrames() const { return m_heardFrames; }
    bool beeping() const;
    bool busy() const { return m_voice == Voice::Playing || beeping(); }
    // Seconds of the sound still to be taken from it.
    double secondsLeft() const;

    // The device's next `frames` frames of interleaved stereo.
    void fill(std::int16_t* out, int frames);

private:
    struct Beep {
        const std::vector<float>* tone = nullptr;
        std::size_t at = 0;
    };

    bool direct() const;
    void restart();
    void mixSound(int frames);
    int takeDirect(int frames);
    int takeConverted(int frames);
    void mixBeeps(int frames);
    void report();

    MakeConverter m_makeConverter;
    std::shared_ptr<const Tones> m_tones;
    std::shared_ptr<WavStream> m_sound;
    std::unique_ptr<Converter> m_converter;
    Progress* m_progress = nullptr;
    Voice m_voice = Voice::Ready;
    std::size_t m_nextFrame = 0;  // of the sound, taken from it
    bool m_flushed = false;       // all of it taken
    std::uint64_t m_heardFrames = 0;
    int m_fadeIn = kFadeFrames;  // frames of the fade-in done
    bool m_fadingOut = false;
    int m_fadeOut = kFadeFrames;  // frames of the fade-out left
    std::array<Beep, 4> m_beeps;
    std::vector<float> m_mixed, m_taken, m_decoded;
};
