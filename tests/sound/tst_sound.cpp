// The sound and beeps as heard: SDL's disk driver writes the device's 16-bit stereo to a file.
#include "app/errors.h"
#include "settings/testfiles.h"
#include "sound/audioengine.h"
#include "sound/beeper.h"
#include "sound/mediaplayer.h"
#include "sound/wavlayout.h"
#include "sound/wavwriter.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <signal.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <numbers>

namespace {

using Bytes = std::vector<std::uint8_t>;

// Before anything opens a device.
const QTemporaryDir g_folder;
const QString g_heard = g_folder.filePath(QStringLiteral("heard.raw"));
const bool g_disk =
    qputenv("SDL_AUDIODRIVER", "disk") && qputenv("SDL_DISKAUDIOFILE", g_heard.toLocal8Bit());

// The output from byte `from` on, once `ms` of it are written, one letter per 20 ms:
// '.' silence, 'a' the 300 Hz tone, 'b' the 700 Hz tone, 'l' the exclamation beep,
// 'h' the default beep, '?' anything else.
std::string heard(qint64 from, int ms) {
    constexpr int kWindow = 882;
    const qint64 bytes = qint64(ms) * 44100 / 1000 * 4;
    (void)QTest::qWaitFor([&] { return QFileInfo(g_heard).size() >= from + bytes; }, 10000);
    QFile file(g_heard);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(from / 4 * 4)) return "no output";
    const QByteArray raw = file.read(bytes);
    std::string track;
    for (qsizetype at = 0; at + kWindow * 4 <= raw.size(); at += kWindow * 4) {
        int peak = 0, crossings = 0, sign = 0, quiet = 0, gap = 0;  // gap: part of it silent
        for (int i = 0; i < kWindow; ++i) {
            std::int16_t s;
            std::memcpy(&s, raw.constData() + at + 4 * i, 2);
            peak = std::max(peak, std::abs(int(s)));
            quiet = std::abs(int(s)) < 200 ? quiet + 1 : 0;
            gap = std::max(gap, quiet);
            const int now = s > 200 ? 1 : s < -200 ? -1 : sign;
            crossings += sign != 0 && now != sign;
            sign = now;
        }
        // 25 Hz a crossing: 300 Hz is 12, the exclamation 19, 700 Hz 28, the default beep 40.
        static const std::string kByCrossings = "??????????aaaa???lllll???bbbbbbb????";
        track += peak < 100                ? '.'
                 : peak < 2000 || gap > 40 ? '?'
                 : crossings < 36          ? kByCrossings[crossings]
                                           : 'h';
    }
    return track;
}

// A mono 16-bit sound of `seconds` of 300 Hz, then `more` seconds of 700 Hz.
Bytes sound(double seconds, double more = 0) {
    std::vector<std::int16_t> s(std::size_t((seconds + more) * 22050));
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double pitch = i < seconds * 22050 ? 300 : 700;
        s[i] = std::int16_t(8000 * std::sin(2 * std::numbers::pi * pitch * double(i) / 22050));
    }
    return makeWav16(s, 1, 22050);
}

void put(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(std::uint8_t(v >> (8 * i)));
}

Bytes chunk(const char* tag, const Bytes& body, std::size_t declared = 0) {
    Bytes b(tag, tag + 4);
    put(b, std::uint32_t(declared ? declared : body.size()));
    b.insert(b.end(), body.begin(), body.end());
    if (body.size() % 2) b.push_back(0);
    return b;
}

Bytes wav(std::uint32_t tag, std::uint32_t rate, std::uint32_t bits, const Bytes& data,
          std::uint32_t channels = 1, std::uint32_t align = 0, const Bytes& before = {},
          std::size_t declared = 0) {
    Bytes format;
    align = align ? align : channels * bits / 8;
    for (const std::uint32_t v : {tag | channels << 16, rate, rate * align, align | bits << 16})
        put(format, v);
    Bytes body = {'W', 'A', 'V', 'E'};
    for (const Bytes& c : {before, chunk("fmt ", format), chunk("data", data, declared)})
        body.insert(body.end(), c.begin(), c.end());
    return chunk("RIFF", body);
}

// Each coding decodes to the values it stands for; what no player can take is refused.
TEST(WavFile, DecodesEveryCodingAndRefusesWhatIsDamaged) {
    const struct {
        const char* name;
        Bytes file;
        std::vector<float> values;  // none: refused
    } cases[] = {
        {"8 bit, unsigned", wav(1, 8000, 8, {0x80, 0x00, 0xFF}), {0, -1, 127 / 128.f}},
        {"μ-law", wav(7, 8000, 8, {0xFF, 0x80, 0x00}), {0, 32124 / 32768.f, -32124 / 32768.f}},
        {"A-law", wav(6, 8000, 8, {0xD5, 0x55, 0xAA}), {8 / 32768.f, -8 / 32768.f, 0.984375f}},
        {"1000 Hz", wav(1, 1000, 16, {0, 0x40}), {0.5f}},
        {"999 Hz", wav(1, 999, 16, {0, 0x40}), {}},
        {"a damaged block size", wav(1, 8000, 16, {0, 0x40, 0, 0x40}, 2, 2), {}},
        {"a chunk of odd length first",
         wav(1, 8000, 16, {0, 0xC0}, 1, 0, chunk("LIST", {1})),
         {-0.5f}},
        {"two format chunks",
         wav(1, 8000, 16, {0, 0x40}, 1, 0,
             chunk("fmt ", {1, 0, 1, 0, 0x40, 0x1F, 0, 0, 0x80, 0x3E, 0, 0, 2, 0, 16, 0})),
         {}},
        {"cut short", wav(1, 8000, 16, {0, 0x40, 0, 0xC0}, 1, 0, {}, 400), {0.5f, -0.5f}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes& file = c.file;
        std::string why;
        const auto layout = WavLayout::read(
            [&file](std::uint64_t at, void* buffer, std::size_t count) {
                const std::size_t n = at < file.size() ? std::min(count, file.size() - at) : 0;
                std::memcpy(buffer, file.data() + at, n);
                return n;
            },
            file.size(), why);
        ASSERT_EQ(bool(layout), !c.values.empty()) << why;
        if (!layout) continue;
        std::vector<float> values(c.values.size());
        layout->decode(file.data() + layout->dataOffset, values.size(), values.data());
        EXPECT_EQ(layout->frames(), values.size());
        EXPECT_EQ(values, c.values);
    }
}

// What is heard over `ms` once `act` is done; the device, and so its file, stays meanwhile.
template <typename Act>
std::string after(Act act, int ms = 500) {
    AudioEngine::instance().prepare(2000);
    AudioEngine::instance().sync();
    const qint64 mark = QFileInfo(g_heard).size();
    act();
    return heard(mark, ms);
}

::testing::AssertionResult hears(const std::string& track, char letter, char never = 'x') {
    if (track.find(letter) != std::string::npos && track.find(never) == std::string::npos)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << track;
}

class Player : public ::testing::Test {
protected:
    void open(const char* name, const Bytes& bytes) {
        m_player.FileName = g_folder.filePath(QString::fromLatin1(name)).toStdString();
        put(QString::fromStdString(m_player.FileName),
            {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
        m_player.Open();
    }
    TMediaPlayer m_player;
};

// Play goes on with a sound playing or stopped, restarts an ended one, also once its file is
// gone; a file that cannot be opened or read stops it for good.
TEST_F(Player, PlayStopAndSeekToStartAreHeardAtOnce) {
    open("two tones.WAV", sound(0.6, 3));
    // What Open took plays on, whatever then happens to the file.
    ASSERT_TRUE(QFile::remove(QString::fromStdString(m_player.FileName)));
    const auto play = [this] { EXPECT_TRUE(m_player.Play()); };
    EXPECT_TRUE(hears(after(play), 'a', 'b'));
    EXPECT_TRUE(QTest::qWaitFor([this] { return m_player.position() > 0.7; }, 10000));
    EXPECT_TRUE(hears(after(play), 'b', 'a'));
    // Each silences it at once; Play goes on after Stop, starts over after SeekToStart.
    for (const auto& [silence, next, never] :
         {std::tuple{&TMediaPlayer::Stop, 'b', 'a'}, {&TMediaPlayer::SeekToStart, 'a', 'b'}}) {
        const std::string quiet = after([this, silence = silence] { (m_player.*silence)(); });
        EXPECT_TRUE(quiet.ends_with(".....")) << quiet;
        EXPECT_TRUE(hears(after(play), next, never));
    }
    open("short.wav", sound(0.2));
    for (int again = 0; again < 2; ++again) {
        EXPECT_TRUE(hears(after(play), 'a')) << again;
        EXPECT_TRUE(QTest::qWaitFor([this] { return !m_player.isPlaying(); }, 10000));
    }
    // A file that cannot be opened, chosen while the sound plays, stops it for good.
    open("long.wav", sound(3));
    EXPECT_TRUE(hears(after(play), 'a'));
    m_player.FileName = g_folder.filePath(QStringLiteral("gone.wav")).toStdString();
    const std::string quiet =
        after([this] { EXPECT_THROW(m_player.Open(), EMCIDeviceError); }, 1000);
    EXPECT_TRUE(quiet.ends_with("..........")) << quiet;
    EXPECT_FALSE(m_player.Play());
    // One whose file has lost its samples since Open rings as the default beep, then no more.
    open("cut.wav", sound(1));
    ASSERT_TRUE(QFile::resize(QString::fromStdString(m_player.FileName), 44));
    EXPECT_TRUE(hears(after(play, 3000), 'h', 'l'));
    EXPECT_FALSE(m_player.Play());
}

// Once quiet, the device and samples are let go. A ring that finds no device is told, so the
// desktop beeps; the next beep tries the device again, and once it opens the sound rings.
TEST_F(Player, TheDeviceIsLetGoOnceQuietAndTriedAgainAfterItFailed) {
    AudioEngine& engine = AudioEngine::instance();
    open("short.wav", sound(0.2));
    EXPECT_FALSE(engine.soundHeld());
    EXPECT_TRUE(m_player.Play());
    engine.sync();
    EXPECT_TRUE(engine.deviceOpen());
    EXPECT_TRUE(engine.soundHeld());
    // SDL, now up, left SIGTERM and SIGINT to the program's handlers, which save the settings.
    for (int signal : {SIGTERM, SIGINT}) {
        struct sigaction action {};
        ::sigaction(signal, nullptr, &action);
        EXPECT_EQ(action.sa_handler, SIG_DFL) << signal;
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return !engine.deviceOpen(); }, 10000)) << "device held";
    EXPECT_FALSE(engine.soundHeld());
    std::atomic<int> unheard = 0;
    engine.setUnheardHandler([&unheard] { ++unheard; });
    qputenv("SDL_AUDIODRIVER", "no_such_driver");
    EXPECT_TRUE(m_player.Play());
    engine.sync();
    EXPECT_EQ(unheard, 1);
    EXPECT_FALSE(m_player.Play());
    qputenv("SDL_AUDIODRIVER", "disk");
    EXPECT_FALSE(Beeper().beep(0));
    engine.sync();
    EXPECT_TRUE(Beeper().beep(0)) << "the device is not tried again";
    EXPECT_TRUE(hears(after([this] { EXPECT_TRUE(m_player.Play()); }), 'a'));
    engine.setUnheardHandler(nullptr);
}

}  // namespace
