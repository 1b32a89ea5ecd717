// The mixer and the stream it plays from, with plain buffers: no device, no SDL.
#include "sound/mixer.h"
#include "sound/wavstream.h"
#include "sound/wavwriter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <future>
#include <thread>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Stereo = std::vector<std::int16_t>;

// A 44.1 kHz sound whose frame i is i + 1 on the left and -(i + 1) on the right (mono: i + 1).
std::shared_ptr<WavStream> ramp(std::size_t frames, unsigned channels,
                                std::function<std::size_t(std::uint64_t, std::size_t)> cut = {}) {
    std::vector<std::int16_t> samples;
    for (std::size_t i = 0; i < frames; ++i) {
        samples.push_back(std::int16_t(i + 1));
        if (channels == 2) samples.push_back(std::int16_t(-int(i + 1)));
    }
    auto file = std::make_shared<Bytes>(makeWav16(samples, channels, Mixer::kRate));
    const WavLayout::ReadAt whole = [file](std::uint64_t at, void* buffer, std::size_t count) {
        const std::size_t n = at < file->size() ? std::min(count, file->size() - at) : 0;
        std::memcpy(buffer, file->data() + at, n);
        return n;
    };
    std::string why;
    auto stream = std::make_shared<WavStream>(
        *WavLayout::read(whole, file->size(), why),
        [whole, cut](std::uint64_t at, void* buffer, std::size_t count) {
            return whole(at, buffer, cut ? cut(at, count) : count);
        });
    // Its first chunk read, as the program's prepare step has it.
    float first[2];
    for (int i = 0; i < 10000 && !cut && !stream->decode(0, 1, first); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return stream;
}

Stereo fill(Mixer& mixer, int frames) {
    Stereo out(2 * std::size_t(frames), 7);
    mixer.fill(out.data(), frames);
    return out;
}

// Sample values as the mixer writes them from a 16-bit sample.
std::int16_t level(int sample) {
    return std::int16_t(std::lrint(float(sample) / 32768.0f * 32767.0f));
}

class MixerTest : public ::testing::Test {
protected:
    void SetUp() override { mixer.open(tones); }
    std::shared_ptr<const Mixer::Tones> tones = Mixer::makeTones();
    Mixer mixer;
};

// Mono in both channels, stereo kept apart; silence after the end, and the sound heard whole.
TEST_F(MixerTest, PlaysTheSoundToItsEndThenSilence) {
    for (unsigned channels : {1u, 2u}) {
        SCOPED_TRACE(channels);
        mixer.setSound(ramp(300, channels));
        mixer.start();
        const Stereo out = fill(mixer, 400);
        for (int i = 0; i < 300; ++i) {
            ASSERT_EQ(out[2 * i], level(i + 1)) << i;
            ASSERT_EQ(out[2 * i + 1], level(channels == 1 ? i + 1 : -(i + 1))) << i;
        }
        EXPECT_EQ(Stereo(out.begin() + 600, out.end()), Stereo(200, 0));
        EXPECT_EQ(mixer.voice(), Mixer::Voice::Ended);
        EXPECT_EQ(mixer.heardFrames(), 300u);
    }
}

// Paused, silent in its place; resumed, on from there; rewound, silent till started anew.
TEST_F(MixerTest, PauseKeepsThePlaceRewindGoesBackToTheBeginning) {
    mixer.setSound(ramp(1000, 1));
    mixer.start();
    (void)fill(mixer, 100);
    mixer.pause();
    EXPECT_EQ(fill(mixer, 50), Stereo(100, 0));
    mixer.resume();
    EXPECT_EQ(fill(mixer, 1)[0], level(101));
    mixer.rewind();
    EXPECT_EQ(fill(mixer, 50), Stereo(100, 0));
    EXPECT_EQ(mixer.heardFrames(), 0u);
    mixer.resume();  // only a paused sound resumes
    EXPECT_EQ(fill(mixer, 1)[0], 0);
    mixer.start();
    EXPECT_EQ(fill(mixer, 1)[0], level(1));
    // Taken up where another device stands.
    mixer.playFrom(500);
    EXPECT_EQ(fill(mixer, 1)[0], level(501));
}

// Each beep is heard in both channels, added to the sound; the two differ.
TEST_F(MixerTest, BeepsSoundInBothChannelsOverTheSound) {
    for (const auto& [type, beep] : {std::pair{0u, tones->ok}, {48u, tones->exclamation}}) {
        SCOPED_TRACE(type);
        mixer.setSound(ramp(2000, 2));
        mixer.start();
        mixer.beep(type);
        const Stereo out = fill(mixer, 2000);
        for (int i = 0; i < 2000; ++i) {
            const float b = beep[std::size_t(i)];
            ASSERT_NEAR(out[2 * i], (b + float(i + 1) / 32768.0f) * 32767.0f, 1.0) << i;
            ASSERT_NEAR(out[2 * i + 1], (b - float(i + 1) / 32768.0f) * 32767.0f, 1.0) << i;
        }
        EXPECT_TRUE(mixer.beeping());
        (void)fill(mixer, int(beep.size()));
        EXPECT_FALSE(mixer.beeping());
    }
    EXPECT_NE(tones->ok, tones->exclamation);
}

// Taking over from another device: one fades in over 10 ms while the other fades out.
TEST_F(MixerTest, TheCrossFade) {
    Mixer other;
    other.open(tones);
    mixer.beep(48);
    other.beep(48);
    mixer.fadeIn();
    other.fadeOut();
    const Stereo in = fill(mixer, Mixer::kFadeFrames + 10);
    const Stereo out = fill(other, Mixer::kFadeFrames + 10);
    const std::vector<float>& beep = tones->exclamation;
    for (int i = 0; i < Mixer::kFadeFrames + 10; ++i) {
        const float full = beep[std::size_t(i)] * 32767.0f;
        const float gain = std::min(1.0f, float(i) / Mixer::kFadeFrames);
        ASSERT_NEAR(in[2 * i], full * gain, 2.0) << i;
        ASSERT_NEAR(out[2 * i], full * (1 - gain), 2.0) << i;
        ASSERT_EQ(in[2 * i], in[2 * i + 1]);
    }
}

// Read ahead on its own thread, a hanging file stalls but holds up no decode; a cut one ends.
TEST(WavStreamTest, AFileThatHangsOrIsCutShortNeverHoldsUpThePlaying) {
    std::promise<void> release;
    const std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> reading = false;
    auto hangs = ramp(100000, 1, [&, released](std::uint64_t, std::size_t count) {
        reading = true;
        released.wait();
        return count;
    });
    float out[64];
    EXPECT_EQ(hangs->decode(0, 64, out), 0u);
    for (int i = 0; i < 10000 && !reading; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(reading);
    EXPECT_GT(hangs->stalledFor(), std::chrono::steady_clock::duration::zero());
    EXPECT_EQ(hangs->decode(0, 64, out), 0u);
    hangs.reset();  // its reader ends once the read returns
    release.set_value();

    Mixer mixer;
    mixer.open(Mixer::makeTones());
    // Everything from byte 44 + 2 * 30000 on fails to read.
    mixer.setSound(ramp(50000, 1, [](std::uint64_t at, std::size_t count) {
        return std::size_t(
            std::clamp<std::int64_t>(44 + 60000 - std::int64_t(at), 0, std::int64_t(count)));
    }));
    mixer.start();
    for (int idle = 0; idle < 30000 && mixer.voice() == Mixer::Voice::Playing;) {
        const std::uint64_t before = mixer.heardFrames();
        (void)fill(mixer, 256);
        if (mixer.heardFrames() == before)  // the reader has not got there yet
            ++idle, std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(mixer.voice(), Mixer::Voice::Ended);
    EXPECT_EQ(mixer.heardFrames(), 30000u);
}

}  // namespace
