#include "mixprobe.h"
#include "sound/audiodevice.h"
#include "sound/beeper.h"
#include "sound/mediaplayer.h"
#include "wavbuilder.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

TEST(Beeper, BothBeepsSoundAndLeaveAPlayingWavAlone) {
    const fs::path wav =
        fs::temp_directory_path() / ("tst_beeper_" + std::to_string(::getpid()) + ".wav");
    wavtest::write(wav, wavtest::sine(1.5));
    TMediaPlayer player;
    player.FileName = wav.string();
    player.Open();
    player.Play();
    std::this_thread::sleep_for(200ms);

    Beeper beeper;
    EXPECT_TRUE(beeper.beep(0));
    EXPECT_TRUE(beeper.beep(48));
    EXPECT_EQ(AudioDevice::users(), 2);
    std::this_thread::sleep_for(400ms);
    EXPECT_TRUE(player.isPlaying());
    EXPECT_GT(player.position(), 0.5);
    EXPECT_EQ(player.startCount(), 1);

    player.Close();
    EXPECT_EQ(AudioDevice::users(), 1);
    fs::remove(wav);
}

TEST(Beeper, EachBeepIsHeardAndOver) {
    Beeper beeper;
    for (unsigned type : {0u, 48u}) {
        ASSERT_TRUE(beeper.beep(type));
        MixProbe probe;
        std::this_thread::sleep_for(150ms);
        EXPECT_GT(probe.peak(), 3000) << type;
        std::this_thread::sleep_for(300ms);
        probe.reset();
        std::this_thread::sleep_for(100ms);
        EXPECT_EQ(probe.peak(), 0) << type;
    }
}

TEST(Beeper, NoSoundDeviceReturnsFalse) {
    ::setenv("SDL_AUDIODRIVER", "no_such_driver", 1);
    {
        Beeper beeper;
        EXPECT_FALSE(beeper.beep(0));
        EXPECT_FALSE(beeper.beep(48));
        EXPECT_EQ(AudioDevice::users(), 0);
    }
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    Beeper beeper;
    EXPECT_TRUE(beeper.beep(0));
}

TEST(Beeper, TheLastUserClosesTheDevice) {
    {
        Beeper beeper;
        ASSERT_TRUE(beeper.beep(0));
        EXPECT_EQ(AudioDevice::users(), 1);
        beeper.releaseIfQuiet();  // still sounding
        EXPECT_EQ(AudioDevice::users(), 1);
        std::this_thread::sleep_for(400ms);
        beeper.releaseIfQuiet();
        EXPECT_EQ(AudioDevice::users(), 0);
        ASSERT_TRUE(beeper.beep(48));
        EXPECT_EQ(AudioDevice::users(), 1);
    }
    EXPECT_EQ(AudioDevice::users(), 0);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
}

}  // namespace
