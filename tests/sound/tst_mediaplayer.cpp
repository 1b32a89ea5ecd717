#include "app/errors.h"
#include "mixprobe.h"
#include "sound/audiodevice.h"
#include "sound/mediaplayer.h"
#include "wavbuilder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace std::chrono_literals;
using namespace wavtest;
namespace fs = std::filesystem;

namespace {

const char* const kNoDevice = "MCI ﾃﾞﾊﾞｲｽがありません";

class MediaPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("tst_mediaplayer_" + std::to_string(::getpid()));
        fs::create_directories(m_dir);
    }
    void TearDown() override {
        m_player.Close();
        fs::remove_all(m_dir);
        EXPECT_EQ(AudioDevice::users(), 0);
    }

    std::string file(const char* name, const Bytes& bytes) { return write(m_dir / name, bytes); }

    void open(const std::string& path) {
        m_player.FileName = path;
        m_player.Open();
    }

    static void expectNoDevice(const std::function<void()>& call) {
        try {
            call();
            ADD_FAILURE() << "no error";
        } catch (const EMCIDeviceError& e) {
            EXPECT_STREQ(e.what(), kNoDevice);
        }
    }

    fs::path m_dir;
    TMediaPlayer m_player;
};

// The alarm asks for the sound once a second; '+' marks a tick at which it started
// from its beginning, '-' one at which it was left to play on.
struct TickCase {
    const char* name;
    double seconds;
    const char* starts;
};

std::ostream& operator<<(std::ostream& os, const TickCase& c) {
    return os << c.name;
}

class TickTest : public MediaPlayerTest, public ::testing::WithParamInterface<TickCase> {};

TEST_P(TickTest, PlayOncePerSecondStartsOnlyAnEndedSound) {
    open(file("tick.wav", sine(GetParam().seconds)));
    std::string starts;
    const auto begin = std::chrono::steady_clock::now();
    for (std::size_t tick = 0; tick < std::strlen(GetParam().starts); ++tick) {
        std::this_thread::sleep_until(begin + tick * 1s);
        const int before = m_player.startCount();
        m_player.Play();
        starts += m_player.startCount() > before ? '+' : '-';
        EXPECT_TRUE(m_player.isPlaying());
        EXPECT_TRUE(m_player.lastError().empty()) << m_player.lastError();
    }
    EXPECT_EQ(starts, GetParam().starts);
}

INSTANTIATE_TEST_SUITE_P(Sounds, TickTest,
                         ::testing::Values(TickCase{"half_a_second", 0.5, "+++"},
                                           TickCase{"longer_than_a_tick", 1.5, "+-+-"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MediaPlayerTest, StopSilencesAtOnceAndSeekToStartRewinds) {
    open(file("long.wav", sine(3.0)));
    MixProbe probe;

    // GIVEN a sound heard halfway through its first second
    m_player.Play();
    std::this_thread::sleep_for(500ms);
    EXPECT_GT(probe.peak(), 1000);

    // WHEN it is stopped THEN nothing more is heard and the position stays
    m_player.Stop();
    EXPECT_FALSE(m_player.isPlaying());
    const double stoppedAt = m_player.position();
    EXPECT_GT(stoppedAt, 0.3);
    std::this_thread::sleep_for(60ms);  // what the device already had
    probe.reset();
    std::this_thread::sleep_for(250ms);
    EXPECT_EQ(probe.peak(), 0);
    EXPECT_DOUBLE_EQ(m_player.position(), stoppedAt);

    // WHEN played again THEN it goes on from there
    m_player.Play();
    std::this_thread::sleep_for(100ms);
    EXPECT_GE(m_player.position(), stoppedAt);
    EXPECT_EQ(m_player.startCount(), 1);

    // WHEN stopped and sent to the start THEN it stays silent at the start
    m_player.Stop();
    m_player.SeekToStart();
    EXPECT_FALSE(m_player.isPlaying());
    EXPECT_EQ(m_player.position(), 0.0);
    std::this_thread::sleep_for(60ms);
    probe.reset();
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(probe.peak(), 0);

    // AND the next Play starts it from its beginning
    m_player.Play();
    EXPECT_EQ(m_player.startCount(), 2);
    std::this_thread::sleep_for(100ms);
    EXPECT_LT(m_player.position(), stoppedAt);
    EXPECT_TRUE(m_player.isPlaying());
}

TEST_F(MediaPlayerTest, AnEndedSoundStopsAndRewindsQuietly) {
    open(file("short.wav", sine(0.2)));
    m_player.Play();
    std::this_thread::sleep_for(400ms);
    EXPECT_FALSE(m_player.isPlaying());
    EXPECT_NEAR(m_player.position(), 0.2, 0.01);
    m_player.Stop();
    EXPECT_NEAR(m_player.position(), 0.2, 0.01);
    m_player.SeekToStart();
    EXPECT_EQ(m_player.position(), 0.0);
    EXPECT_EQ(m_player.startCount(), 1);
}

// Each accepted coding is really decoded: the sound plays on.
struct CodingCase {
    const char* name;
    Bytes format;
};

std::ostream& operator<<(std::ostream& os, const CodingCase& c) {
    return os << c.name;
}

class CodingTest : public MediaPlayerTest, public ::testing::WithParamInterface<CodingCase> {};

TEST_P(CodingTest, PlaysEveryAcceptedCoding) {
    const Bytes& format = GetParam().format;
    const unsigned frame = format[12] | format[13] << 8;
    const unsigned rate = format[4] | format[5] << 8 | format[6] << 16;
    open(file("coding.wav", riff({chunk("LIST", Bytes(9, 'x')), chunk("fmt ", format),
                                  chunk("data", Bytes(frame * rate, 0))})));
    EXPECT_NEAR(m_player.length(), 1.0, 0.01);
    m_player.Play();
    std::this_thread::sleep_for(150ms);
    EXPECT_TRUE(m_player.isPlaying());
    EXPECT_GT(m_player.position(), 0.05);
}

INSTANTIATE_TEST_SUITE_P(Codings, CodingTest,
                         ::testing::Values(CodingCase{"pcm8", fmt(1, 1, 8000, 8)},
                                           CodingCase{"pcm16_stereo", fmt(1, 2, 22050, 16)},
                                           CodingCase{"pcm24", fmt(1, 1, 44100, 24)},
                                           CodingCase{"pcm32", fmt(1, 2, 48000, 32)},
                                           CodingCase{"float32", fmt(3, 1, 16000, 32)},
                                           CodingCase{"extensible16",
                                                      fmtExtensible(1, 2, 11025, 16)}),
                         [](const auto& info) { return std::string(info.param.name); });

// Every file that cannot be opened leaves the player closed and the device released.
struct BadFile {
    const char* name;
    const char* fileName;  // nullptr: no file is written
    Bytes bytes;
};

std::ostream& operator<<(std::ostream& os, const BadFile& c) {
    return os << c.name;
}

class BadFileTest : public MediaPlayerTest, public ::testing::WithParamInterface<BadFile> {};

TEST_P(BadFileTest, OpenFailsAndThePlayerHasNoDevice) {
    const BadFile& c = GetParam();
    std::string path;
    if (c.fileName && std::string(c.name) == "directory") {
        fs::create_directory(m_dir / c.fileName);
        path = (m_dir / c.fileName).string();
    } else if (c.fileName) {
        path = c.bytes.empty() ? (m_dir / c.fileName).string() : file(c.fileName, c.bytes);
    }
    m_player.FileName = path;
    try {
        m_player.Open();
        ADD_FAILURE() << "opened " << path;
    } catch (const EMCIDeviceError& e) {
        EXPECT_STRNE(e.what(), "");
    }
    EXPECT_FALSE(m_player.isOpen());
    EXPECT_EQ(AudioDevice::users(), 0);
    expectNoDevice([this] { m_player.Play(); });
    expectNoDevice([this] { m_player.Stop(); });
    expectNoDevice([this] { m_player.SeekToStart(); });
}

Bytes head(Bytes b, std::size_t size) {
    b.resize(size);
    return b;
}

const Bytes kText = {'R', 'I', 'F', 'F', ' ', 'n', 'o', 't', 'e', 's', '\n'};

INSTANTIATE_TEST_SUITE_P(
    Files, BadFileTest,
    ::testing::Values(
        BadFile{"empty_path", nullptr, {}}, BadFile{"missing", "missing.wav", {}},
        BadFile{"directory", "folder.wav", {}}, BadFile{"text_named_wav", "text.wav", kText},
        BadFile{"empty_file", "empty.wav", {}},
        BadFile{"truncated_header", "cut.WAV", head(sine(0.1), 30)},
        BadFile{"adpcm", "adpcm.wav",
                riff({chunk("fmt ", fmt(2, 1, 22050, 4, 256)), chunk("data", Bytes(256, 1))})},
        BadFile{"unknown_extension", "sound.mp3", sine(0.1)},
        BadFile{"no_extension", "sound", sine(0.1)}),
    [](const auto& info) { return std::string(info.param.name); });

// Chunks the decoder would parse on its own, made to crash it (the sampler chunk
// below makes SDL_mixer 2.6 read far past its buffer): they never reach it.
TEST_F(MediaPlayerTest, ForeignChunksNeverReachTheDecoder) {
    Bytes loops(28, 0);
    put(loops, 0x0FFFFFFF, 4);  // loop count
    loops.resize(loops.size() + 28, 0);
    Bytes info;
    put(info, "INFO");
    put(info, "INAM");
    put(info, 0xFFFF, 4);  // title longer than the chunk
    for (const Bytes& extra :
         {chunk("smpl", loops), chunk("LIST", info), chunk("id3 ", Bytes(7, 0xFF))}) {
        open(file("tagged.wav", riff({chunk("fmt ", fmt(1, 1, 8000, 16)), extra,
                                      chunk("data", Bytes(1600, 0))})));
        EXPECT_NEAR(m_player.length(), 0.1, 0.001);
        m_player.Play();
        EXPECT_TRUE(m_player.isPlaying());
    }
}

TEST_F(MediaPlayerTest, ExtensionIsMatchedWithoutCase) {
    open(file("LOUD.Wav", sine(0.1)));
    EXPECT_TRUE(m_player.isOpen());
}

TEST_F(MediaPlayerTest, OpeningAnotherFileStopsThePlayingOne) {
    open(file("first.wav", sine(2.0)));
    m_player.Play();
    std::this_thread::sleep_for(100ms);

    open(file("second.wav", sine(0.5)));
    EXPECT_TRUE(m_player.isOpen());
    EXPECT_FALSE(m_player.isPlaying());
    EXPECT_FALSE(Mix_PlayingMusic());
    EXPECT_EQ(m_player.position(), 0.0);
    EXPECT_NEAR(m_player.length(), 0.5, 0.01);
    EXPECT_EQ(AudioDevice::users(), 1);

    m_player.Play();
    m_player.FileName = (m_dir / "gone.wav").string();
    EXPECT_THROW(m_player.Open(), EMCIDeviceError);
    EXPECT_FALSE(m_player.isOpen());
    EXPECT_FALSE(Mix_PlayingMusic());
    EXPECT_EQ(AudioDevice::users(), 0);
    expectNoDevice([this] { m_player.Play(); });
}

TEST_F(MediaPlayerTest, NoSoundDeviceFailsOpenCleanly) {
    const std::string path = file("fine.wav", sine(0.1));
    ::setenv("SDL_AUDIODRIVER", "no_such_driver", 1);
    m_player.FileName = path;
    EXPECT_THROW(m_player.Open(), EMCIDeviceError);
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    EXPECT_FALSE(m_player.isOpen());
    EXPECT_EQ(AudioDevice::users(), 0);

    m_player.Open();
    EXPECT_TRUE(m_player.isOpen());
}

TEST_F(MediaPlayerTest, TheShippedChimeOpens) {
    open(PIPIRON_CHIME_WAV);
    EXPECT_GT(m_player.length(), 2.0);
    EXPECT_LT(m_player.length(), 5.0);
}

}  // namespace
