// The alarm as it is heard: the real player, the beeps and the real tick, with
// SDL's disk driver writing what the device is given to a file in real time.
#include "app/errors.h"
#include "app/handlerguard.h"
#include "diskaudio.h"
#include "sound/audioengine.h"
#include "sound/beeper.h"
#include "wavbuilder.h"
#include "windowfixture.h"

#include <QLineEdit>
#include <QLoggingCategory>
#include <QTest>

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <optional>

using namespace wavtest;
namespace fs = std::filesystem;

namespace {

constexpr double kTonePitch = 300;

// Set up before anything opens a device.
DiskAudio g_disk;

bool isTone(const DiskAudio::Heard& heard) {
    return heard.peak > 3000 && std::abs(heard.pitch - kTonePitch) < 30;
}

bool isBeep(const DiskAudio::Heard& heard) {
    return heard.peak > 3000 && heard.pitch > 900;
}

bool isSilent(const DiskAudio::Heard& heard) {
    return heard.peak < 50;
}

void settle() {
    AudioEngine::instance().sync();
}

// What was heard over the last `ms` milliseconds, once they have passed.
DiskAudio::Heard playedFor(int ms) {
    QTest::qWait(ms);
    return g_disk.last(std::min(ms / 2, 100));
}

// The sound libraries' complaints (a dozen ALSA lines on a machine without a
// sound card) go to the debug log, silent unless asked for, never to standard
// error. First of all, before anything has loaded the sound libraries.
TEST(SoundLibraries, MessagesGoToTheDebugLogOnly) {
    static QStringList logged;
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext& context, const QString& text) {
            if (QLatin1String(context.category) == QLatin1String("pipiron.sound"))
                logged.append(text);
        });
    QLoggingCategory::setFilterRules(QStringLiteral("pipiron.sound.debug=true"));
    std::fflush(stderr);
    const int console = ::dup(2);
    std::FILE* captured = std::tmpfile();
    ::dup2(::fileno(captured), 2);
    ::setenv("SDL_AUDIODRIVER", "alsa", 1);
    Beeper().beep(0);
    settle();
    std::fflush(stderr);
    ::dup2(console, 2);
    ::close(console);
    QLoggingCategory::setFilterRules(QString());
    qInstallMessageHandler(previous);
    DiskAudio::use();

    EXPECT_EQ(std::ftell(captured), 0L) << "written to standard error";
    std::fclose(captured);
    ASSERT_FALSE(logged.empty());
    if (AudioEngine::instance().deviceLost())
        EXPECT_TRUE(logged.filter(QStringLiteral("ALSA")).size() > 0)
            << logged.join(u'\n').toStdString();
    else
        QTest::qWait(2000);  // a machine with a sound card: all quiet, the device is let go
}

// Without a sound device, a ring made ready beforehand knows it at once and the
// caller beeps the desktop's way at that very tick; an unprepared one finds out
// on the sound's own thread, which beeps instead. First of all, before anything
// has opened the device.
TEST(NoSoundDevice, TheRingFallsBackToTheDesktopBeep) {
    std::atomic<int> unheard = 0;
    AudioEngine::instance().setUnheardHandler([&unheard] { ++unheard; });
    ::setenv("SDL_AUDIODRIVER", "no_such_driver", 1);
    Beeper beeper;
    {
        TMediaPlayer player;
        player.FileName = write(fs::temp_directory_path() / "tst_sound_nodevice.wav", sine(0.5));
        player.Open();
        player.prepare();
        settle();
        EXPECT_FALSE(player.Play());
        EXPECT_FALSE(beeper.beep(0));
        settle();
        EXPECT_EQ(unheard, 0);
    }
    // The device found again, then gone by the next ring.
    DiskAudio::use();
    EXPECT_FALSE(beeper.beep(0));
    settle();
    EXPECT_TRUE(beeper.beep(0));
    ::setenv("SDL_AUDIODRIVER", "no_such_driver", 1);
    QTest::qWait(2300);  // all quiet: the device is let go
    EXPECT_TRUE(beeper.beep(48));
    settle();
    EXPECT_EQ(unheard, 1);
    DiskAudio::use();
    beeper.beep(0);
    settle();
    AudioEngine::instance().setUnheardHandler(nullptr);
    fs::remove(fs::temp_directory_path() / "tst_sound_nodevice.wav");
}

// A sound device must not take over SIGTERM and SIGINT: the session and kill must
// still end the program.
TEST(SoundDevice, LeavesTheTerminationSignalsAlone) {
    struct sigaction term {
    }, interrupt{};
    ::sigaction(SIGTERM, nullptr, &term);
    ::sigaction(SIGINT, nullptr, &interrupt);
    EXPECT_TRUE(Beeper().beep(0));
    EXPECT_TRUE(isBeep(playedFor(150)));
    struct sigaction after {};
    ::sigaction(SIGTERM, nullptr, &after);
    EXPECT_EQ(after.sa_handler, term.sa_handler);
    ::sigaction(SIGINT, nullptr, &after);
    EXPECT_EQ(after.sa_handler, interrupt.sa_handler);
}

// ---- the player ----

class Player : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(m_dir); }
    void TearDown() override {
        m_player.Close();
        fs::remove_all(m_dir);
    }

    void open(const char* name, const Bytes& bytes) {
        m_player.FileName = write(m_dir / name, bytes);
        m_player.Open();
    }

    const fs::path m_dir = fs::temp_directory_path() / ("tst_sound_" + std::to_string(::getpid()));
    TMediaPlayer m_player;
};

// Every coding the player accepts is heard as the tone it holds, whatever the
// case of the extension and the rate; chunks other than the format and the
// samples are never read.
TEST_F(Player, EveryAcceptedCodingIsHeardAsItsTone) {
    Bytes info = {'I', 'N', 'F', 'O', 'I', 'N', 'A', 'M'};
    put(info, 0xFFFF, 4);  // a title longer than its chunk
    const struct {
        std::uint16_t tag, bits, channels;
        unsigned rate;
        bool extensible = false;
    } cases[] = {{1, 8, 1, 8000},   {1, 16, 2, 22050},       {1, 24, 1, 44100}, {1, 32, 2, 48000},
                 {3, 32, 1, 16000}, {1, 16, 3, 11025, true}, {6, 8, 1, 8000},   {7, 8, 2, 8000}};
    for (const auto& c : cases) {
        SCOPED_TRACE("tag " + std::to_string(c.tag) + ", " + std::to_string(c.bits) + " bits, " +
                     std::to_string(c.channels) + " channels at " + std::to_string(c.rate));
        open("LOUD.Wav", tone(c.tag, c.bits, c.channels, c.rate, 0.6, kTonePitch, c.extensible,
                              chunk("LIST", info)));
        EXPECT_TRUE(m_player.Play());
        const auto heard = playedFor(400);
        EXPECT_TRUE(isTone(heard)) << heard.peak << " " << heard.pitch;
        EXPECT_NEAR(m_player.length(), 0.6, 0.01);
    }
}

// The tick asks once a second: a sound that has ended starts again from its
// beginning, one still playing goes on ('+' heard from its beginning, '-' not).
TEST_F(Player, PlayStartsAgainOnlyASoundThatHasEnded) {
    for (const auto& [seconds, expected] : {std::pair{0.4, "+++"}, std::pair{1.5, "+-+-"}}) {
        open("tick.wav", tone(1, 16, 1, 22050, seconds, kTonePitch));
        std::string starts;
        for (std::size_t tick = 0; tick < std::strlen(expected); ++tick) {
            const auto begin = std::chrono::steady_clock::now();
            const double before = m_player.position();
            EXPECT_TRUE(m_player.Play());
            EXPECT_TRUE(isTone(playedFor(150)));
            starts += m_player.position() < before || before == 0 ? '+' : '-';
            QTest::qWait(int(1000 - std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::chrono::steady_clock::now() - begin)
                                        .count()));
        }
        EXPECT_EQ(starts, expected) << seconds << " s";
    }
}

TEST_F(Player, StopSilencesAtOnceAndSeekToStartRewinds) {
    open("long.wav", tone(1, 16, 1, 22050, 3.0, kTonePitch));
    m_player.Play();
    EXPECT_TRUE(isTone(playedFor(500)));

    // Stop keeps the position, and Play goes on from there.
    m_player.Stop();
    EXPECT_TRUE(isSilent(playedFor(100)));
    const double stoppedAt = m_player.position();
    EXPECT_GT(stoppedAt, 0.3);
    EXPECT_FALSE(m_player.isPlaying());
    EXPECT_TRUE(isSilent(playedFor(200)));
    m_player.Play();
    EXPECT_TRUE(isTone(playedFor(200)));
    EXPECT_GT(m_player.position(), stoppedAt);

    // SeekToStart stays silent, and the next Play starts from the beginning.
    m_player.Stop();
    m_player.SeekToStart();
    EXPECT_TRUE(isSilent(playedFor(200)));
    EXPECT_EQ(m_player.position(), 0.0);
    m_player.Play();
    EXPECT_TRUE(isTone(playedFor(200)));
    EXPECT_LT(m_player.position(), stoppedAt);
}

// Open refuses at once, Play on a refused file is not heard and says so, and
// nothing raises but Open.
TEST_F(Player, OpenRefusesWhatItCannotPlay) {
    const Bytes good = sine(0.1);
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
        {"cut.WAV", Bytes(good.begin(), good.begin() + 30)},
        {"adpcm.wav", wav(fmt(2, 1, 22050, 4, 256), 256)},
        {"sound.mp3", good},
        {"sound", good},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        open("good.wav", good);
        m_player.FileName = *c.name ? (m_dir / c.name).string() : "";
        if (c.bytes) write(m_player.FileName, *c.bytes);
        EXPECT_THROW(m_player.Open(), EMCIDeviceError);
        EXPECT_FALSE(m_player.isOpen());
        EXPECT_FALSE(m_player.Play());
        EXPECT_NO_THROW(m_player.Stop());
        EXPECT_NO_THROW(m_player.SeekToStart());
        EXPECT_TRUE(isSilent(playedFor(200)));
    }
}

// Beeps sound over a playing sound without disturbing it; once all is quiet the
// device is let go (nothing more is written), and the next beep takes it again.
TEST_F(Player, BeepsMixWithTheSoundAndTheDeviceIsHeldOnlyWhileNeeded) {
    open("long.wav", tone(1, 16, 1, 22050, 1.5, kTonePitch));
    m_player.Play();
    QTest::qWait(300);
    Beeper beeper;
    for (unsigned type : {0u, 48u}) {
        EXPECT_TRUE(beeper.beep(type));
        const auto heard = playedFor(100);
        EXPECT_GT(heard.peak, 9000) << type;  // the tone and the beep together
        EXPECT_GT(heard.pitch, 400) << type;
    }
    EXPECT_TRUE(isTone(playedFor(300)));
    EXPECT_TRUE(m_player.isPlaying());
    QTest::qWait(1000 + 1600);
    const auto written = g_disk.written();
    QTest::qWait(300);
    EXPECT_EQ(g_disk.written(), written);
    EXPECT_TRUE(beeper.beep(0));
    EXPECT_TRUE(isBeep(playedFor(150)));
}

// ---- the alarm ----

class AlarmSound : public WindowTest {
protected:
    // The default setting finds media/tada.wav beside the program.
    void startWithChime(const Bytes& chime) {
        ASSERT_TRUE(fs::create_directories(chimePath().parent_path()) ||
                    fs::exists(chimePath().parent_path()));
        write(chimePath(), chime);
        start();
        ASSERT_TRUE(Form1->WavReady);
    }
    fs::path chimePath() const {
        return folder.filePath(QStringLiteral("media/tada.wav")).toStdString();
    }
    void armAt(int hour, int minute, int second) {
        platform.setTime(hour, minute, second);
        Form1->AlarmTime = "07:00";
        Form1->BtnSetClick();
    }
    // One tick of the timer, and what is heard a moment later.
    DiskAudio::Heard ring(int waitMs = 300) {
        guarded(platform, [] { Form1->Timer1Timer(); });
        platform.advance(1);
        return playedFor(waitMs);
    }
};

// The file of an opened sound may go away or change before the alarm: the
// sound opened is the sound heard.
TEST_F(AlarmSound, AnOpenedSoundRingsWhateverBecomesOfItsFile) {
    const struct {
        const char* name;
        std::function<void(const fs::path&)> change;
    } cases[] = {
        {"deleted", [](const fs::path& p) { fs::remove(p); }},
        {"replaced",
         [](const fs::path& p) {
             write(p.string() + ".new", Bytes{'n', 'o', 't', 'e', 's'});
             fs::rename(p.string() + ".new", p);
         }},
        {"written over", [](const fs::path& p) { write(p, Bytes(100, 0)); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        startWithChime(tone(1, 16, 1, 22050, 3.0, kTonePitch));
        // Between alarms the program may let the device go.
        Form1->Timer1->start(1);
        QTest::qWait(30);
        Form1->Timer1->stop();
        c.change(chimePath());
        armAt(7, 0, 0);
        platform.beeps.clear();
        for (int tick = 0; tick < 3; ++tick) EXPECT_TRUE(isTone(ring())) << "tick " << tick;
        EXPECT_TRUE(platform.beeps.empty());
        EXPECT_TRUE(platform.errors.empty());
        windows.reset();
    }
}

// Choosing a file that cannot be opened while the alarm rings: the message box
// is shown, the alarm beeps from the first tick inside it, and no error box comes.
TEST_F(AlarmSound, AFailingOpenWhileRingingBeepsFromThatTick) {
    startWithChime(tone(1, 16, 1, 22050, 3.0, kTonePitch));
    armAt(7, 0, 5);
    EXPECT_TRUE(isTone(ring()));
    platform.beeps.clear();
    platform.onModal = [](QWidget* window) {
        auto* settings = static_cast<TForm3*>(window);
        settings->EdtWav->setText(QStringLiteral("missing.wav"));
        settings->BtnOK->click();
    };
    std::vector<DiskAudio::Heard> inTheBox;
    platform.onMessage = [&] {
        for (int tick = 0; tick < 3; ++tick) inTheBox.push_back(ring(150));
    };
    Form1->SettingClick();
    EXPECT_TRUE(platform.errors.empty());
    EXPECT_EQ(platform.beeps, (std::vector<unsigned>{48, 0, 0, 0}));
    for (const auto& heard : inTheBox) EXPECT_TRUE(isSilent(heard));  // the old sound stopped
    ring();
    EXPECT_EQ(platform.beeps.size(), 5u);
    EXPECT_FALSE(Form1->WavReady);
}

// Armed, the alarm's sound is ready before its minute; a short sound rings
// again at every tick of the minute, and the switch going OFF silences it at once.
TEST_F(AlarmSound, RingsAtEveryTickOfTheMinuteAndStopsWithTheSwitch) {
    startWithChime(tone(1, 16, 1, 22050, 0.3, kTonePitch));
    armAt(6, 59, 59);
    platform.now.millisecond = 5;
    Form1->Timer1->start(1);
    QTest::qWait(100);
    Form1->Timer1->stop();
    const auto before = g_disk.written();
    EXPECT_TRUE(isSilent(playedFor(100)));
    EXPECT_GT(g_disk.written(), before);  // the device runs, silent
    platform.setTime(7, 0, 0);
    for (int tick = 0; tick < 3; ++tick) {
        EXPECT_TRUE(isTone(ring(150))) << tick;
        EXPECT_TRUE(isSilent(playedFor(350))) << tick;
    }
    write(chimePath(), tone(1, 16, 1, 22050, 3.0, kTonePitch));
    Form1->ApplySettings();
    EXPECT_TRUE(isTone(ring()));
    Form1->BtnSetClick();
    EXPECT_TRUE(isSilent(playedFor(60)));
    EXPECT_TRUE(platform.beeps.empty());
}

}  // namespace
