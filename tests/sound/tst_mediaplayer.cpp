#include "app/errors.h"
#include "mixprobe.h"
#include "sound/audiodevice.h"
#include "sound/mediaplayer.h"
#include "wavbuilder.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <thread>

using namespace std::chrono_literals;
using namespace wavtest;
namespace fs = std::filesystem;

namespace {

class MediaPlayerTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(m_dir); }
    void TearDown() override {
        m_player.Close();
        fs::remove_all(m_dir);
        EXPECT_EQ(AudioDevice::users(), 0);
    }

    void open(const char* name, const Bytes& bytes) {
        m_player.FileName = write(m_dir / name, bytes);
        m_player.Open();
    }

    // The text of the EMCIDeviceError raised by `call`, empty when none.
    static std::string errorOf(const std::function<void()>& call) {
        try {
            call();
        } catch (const EMCIDeviceError& e) {
            return e.what();
        }
        return {};
    }

    // A failed Open leaves the player closed and the device released.
    void expectOpenFails() {
        EXPECT_NE(errorOf([this] { m_player.Open(); }), "") << m_player.FileName;
        EXPECT_FALSE(m_player.isOpen());
        EXPECT_EQ(AudioDevice::users(), 0);
        for (auto call : {&TMediaPlayer::Play, &TMediaPlayer::Stop, &TMediaPlayer::SeekToStart})
            EXPECT_EQ(errorOf([&] { (m_player.*call)(); }), "MCI ﾃﾞﾊﾞｲｽがありません");
    }

    // Nothing heard for a while, once the device has played what it already had.
    bool silent(MixProbe& probe) {
        std::this_thread::sleep_for(60ms);
        probe.reset();
        std::this_thread::sleep_for(200ms);
        return probe.peak() == 0;
    }

    const fs::path m_dir =
        fs::temp_directory_path() / ("tst_mediaplayer_" + std::to_string(::getpid()));
    TMediaPlayer m_player;
};

// The alarm asks for the sound once a second; '+' marks a tick at which it started
// from its beginning, '-' one at which it was left to play on.
TEST_F(MediaPlayerTest, PlayOncePerSecondStartsOnlyAnEndedSound) {
    for (const auto& [seconds, expected] : {std::pair{0.5, "+++"}, std::pair{1.5, "+-+-"}}) {
        open("tick.wav", sine(seconds));
        std::string starts;
        const auto begin = std::chrono::steady_clock::now();
        for (int tick = 0; tick < int(std::strlen(expected)); ++tick) {
            std::this_thread::sleep_until(begin + tick * 1s);
            const int before = m_player.startCount();
            m_player.Play();
            starts += m_player.startCount() > before ? '+' : '-';
            EXPECT_TRUE(m_player.isPlaying());
            EXPECT_TRUE(m_player.lastError().empty()) << m_player.lastError();
        }
        EXPECT_EQ(starts, expected);
    }
}

TEST_F(MediaPlayerTest, StopSilencesAtOnceAndSeekToStartRewinds) {
    open("long.wav", sine(3.0));
    MixProbe probe;
    m_player.Play();
    std::this_thread::sleep_for(500ms);
    EXPECT_GT(probe.peak(), 1000);

    // Stop keeps the position, and Play goes on from there.
    m_player.Stop();
    EXPECT_FALSE(m_player.isPlaying());
    const double stoppedAt = m_player.position();
    EXPECT_GT(stoppedAt, 0.3);
    EXPECT_TRUE(silent(probe));
    EXPECT_DOUBLE_EQ(m_player.position(), stoppedAt);
    m_player.Play();
    std::this_thread::sleep_for(100ms);
    EXPECT_GE(m_player.position(), stoppedAt);
    EXPECT_EQ(m_player.startCount(), 1);

    // SeekToStart stays silent at the start, and the next Play starts from the beginning.
    m_player.Stop();
    m_player.SeekToStart();
    EXPECT_FALSE(m_player.isPlaying());
    EXPECT_EQ(m_player.position(), 0.0);
    EXPECT_TRUE(silent(probe));
    m_player.Play();
    EXPECT_EQ(m_player.startCount(), 2);
    std::this_thread::sleep_for(100ms);
    EXPECT_LT(m_player.position(), stoppedAt);
    EXPECT_TRUE(m_player.isPlaying());
}

TEST_F(MediaPlayerTest, AnEndedSoundStopsAndRewindsQuietly) {
    open("short.wav", sine(0.2));
    m_player.Play();
    std::this_thread::sleep_for(400ms);
    EXPECT_FALSE(m_player.isPlaying());
    m_player.Stop();
    EXPECT_NEAR(m_player.position(), 0.2, 0.01);
    m_player.SeekToStart();
    EXPECT_EQ(m_player.position(), 0.0);
    EXPECT_EQ(m_player.startCount(), 1);
}

// Each accepted coding is really decoded, whatever the case of the extension. Chunks
// the decoder would parse on its own, some made to crash it (the sampler chunk makes
// SDL_mixer 2.6 read far past its buffer), never reach it.
TEST_F(MediaPlayerTest, PlaysEveryAcceptedCodingAndNoForeignChunk) {
    Bytes loops(28, 0), info = {'I', 'N', 'F', 'O', 'I', 'N', 'A', 'M'};
    put(loops, 0x0FFFFFFF, 4);  // loop count
    loops.resize(loops.size() + 28, 0);
    put(info, 0xFFFF, 4);  // title longer than the chunk
    const std::pair<Bytes, Bytes> cases[] = {
        {fmt(1, 1, 8000, 8), chunk("smpl", loops)},
        {fmt(1, 2, 22050, 16), chunk("LIST", info)},
        {fmt(1, 1, 44100, 24), chunk("id3 ", Bytes(7, 0xFF))},
        {fmt(1, 2, 48000, 32), chunk("LIST", Bytes(9, 'x'))},
        {fmt(3, 1, 16000, 32), chunk("smpl", loops)},
        {fmtExtensible(1, 2, 11025, 16), chunk("LIST", info)},
    };
    for (const auto& [format, extra] : cases) {
        const unsigned frame = format[12], rate = format[4] | format[5] << 8 | format[6] << 16;
        SCOPED_TRACE("coding " + std::to_string(format[0]) + ", bits " +
                     std::to_string(format[14]));
        open("LOUD.Wav",
             riff({chunk("fmt ", format), extra, chunk("data", Bytes(frame * rate, 0))}));
        EXPECT_NEAR(m_player.length(), 1.0, 0.01);
        m_player.Play();
        std::this_thread::sleep_for(150ms);
        EXPECT_TRUE(m_player.isPlaying());
        EXPECT_GT(m_player.position(), 0.05);
    }
}

TEST_F(MediaPlayerTest, OpenRefusesWhatItCannotPlay) {
    const Bytes header = sine(0.1);
    fs::create_directory(m_dir / "folder.wav");
    const struct {
        const char* name;  // "": an empty path
        std::optional<Bytes> bytes;
    } cases[] = {
        {"", {}},
        {"missing.wav", {}},
        {"folder.wav", {}},
        {"text.wav", Bytes{'R', 'I', 'F', 'F', ' ', 'n', 'o', 't', 'e', 's', '\n'}},
        {"empty.wav", Bytes{}},
        {"cut.WAV", Bytes(header.begin(), header.begin() + 30)},
        {"adpcm.wav", wav(fmt(2, 1, 22050, 4, 256), 256)},
        {"sound.mp3", header},
        {"sound", header},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_player.FileName = *c.name ? (m_dir / c.name).string() : "";
        if (c.bytes) write(m_player.FileName, *c.bytes);
        expectOpenFails();
    }
}

TEST_F(MediaPlayerTest, OpeningAnotherFileStopsThePlayingOne) {
    open("first.wav", sine(2.0));
    m_player.Play();
    std::this_thread::sleep_for(100ms);
    open("second.wav", sine(0.5));
    EXPECT_FALSE(m_player.isPlaying());
    EXPECT_FALSE(Mix_PlayingMusic());
    EXPECT_EQ(m_player.position(), 0.0);
    EXPECT_NEAR(m_player.length(), 0.5, 0.01);
    // The device is let go only while the sound stands at its start.
    EXPECT_EQ(AudioDevice::users(), 1);
    m_player.releaseIfIdle();
    EXPECT_EQ(AudioDevice::users(), 0);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    m_player.Play();
    m_player.releaseIfIdle();
    EXPECT_EQ(AudioDevice::users(), 1);
    m_player.Stop();
    m_player.releaseIfIdle();
    EXPECT_EQ(AudioDevice::users(), 1);
    m_player.SeekToStart();
    m_player.releaseIfIdle();
    EXPECT_EQ(AudioDevice::users(), 0);

    // A new file that fails leaves the player closed, the old sound silenced.
    m_player.Play();
    m_player.FileName = (m_dir / "gone.wav").string();
    expectOpenFails();
    EXPECT_FALSE(Mix_PlayingMusic());
}

TEST_F(MediaPlayerTest, TheShippedChimeOpensOnlyWithASoundDevice) {
    m_player.FileName = PIPIRON_CHIME_WAV;
    ::setenv("SDL_AUDIODRIVER", "no_such_driver", 1);
    expectOpenFails();
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    m_player.Open();
    EXPECT_GT(m_player.length(), 2.0);
    EXPECT_LT(m_player.length(), 5.0);
}

}  // namespace
