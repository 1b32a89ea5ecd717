#include "sound/beeptone.h"
#include "sound/wavclip.h"
#include "sound/wavlayout.h"
#include "wavbuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>

using namespace wavtest;

namespace {

WavLayout::ReadAt reader(const Bytes& file) {
    return [&file](std::uint64_t at, void* buffer, std::size_t count) -> std::size_t {
        const std::size_t n = at < file.size() ? std::min(count, file.size() - at) : 0;
        if (n) std::memcpy(buffer, file.data() + at, n);
        return n;
    };
}

std::optional<WavLayout> readLayout(const Bytes& file, std::string& why) {
    return WavLayout::read(reader(file), file.size(), why);
}

Bytes cut(Bytes b, std::size_t size) {
    b.resize(size);
    return b;
}

TEST(WavLayout, AcceptsOnlyPlainSoundsWithASaneHeader) {
    const Bytes mono16 = fmt(1, 1, 22050, 16), good = wav(mono16, 100);
    Bytes avi = good, junk = riff({});
    std::memcpy(avi.data() + 8, "AVI ", 4);
    for (int i = 0; i < 5000; ++i) junk.insert(junk.end(), {'j', 'u', 'n', 'k', 0, 0, 0, 0});
    const struct {
        const char* name;
        Bytes file;
        const char* refusal;  // part of the reason, or nullptr when accepted
        std::uint16_t encoding = 0;
        std::uint64_t dataOffset = 0, dataSize = 0;
    } cases[] = {
        {"plain 16 bit", good, nullptr, 1, 44, 100},
        {"float 32 bit", wav(fmt(3, 2, 48000, 32), 64), nullptr, 3, 44, 64},
        {"A-law", wav(fmt(6, 1, 8000, 8), 9), nullptr, 6, 44, 9},
        {"μ-law, extensible", wav(fmtExtensible(7, 2, 8000, 8), 8), nullptr, 7, 68, 8},
        {"extensible 24 bit", wav(fmtExtensible(1, 2, 44100, 24), 60), nullptr, 1, 68, 60},
        {"chunk with padding before",
         riff({chunk("LIST", Bytes(7, 1)), chunk("fmt ", mono16), chunk("data", Bytes(10, 1))}),
         nullptr, 1, 60, 10},
        {"data before format", riff({chunk("data", Bytes(10, 1)), chunk("fmt ", mono16)}), nullptr,
         1, 20, 10},
        {"cut short keeps whole frames", cut(wav(fmt(1, 2, 22050, 16), 400), 44 + 103), nullptr, 1,
         44, 100},
        {"empty", {}, "Not a WAV"},
        {"cut in the RIFF header", cut(good, 8), "Not a WAV"},
        {"RIFF of another kind", avi, "Not a WAV"},
        {"cut in the format", cut(good, 30), "format chunk"},
        {"format too small", wav(cut(mono16, 14), 4), "format chunk"},
        {"no format", riff({chunk("data", Bytes(4, 1))}), "no format chunk"},
        {"two formats",
         riff({chunk("fmt ", mono16), chunk("fmt ", mono16), chunk("data", Bytes(4, 1))}),
         "two format"},
        {"adpcm", wav(fmt(2, 1, 22050, 4, 256), 256), "Unsupported WAV coding"},
        {"pcm 12 bit", wav(fmt(1, 1, 22050, 12, 2), 4), "Unsupported WAV coding"},
        {"float 64 bit", wav(fmt(3, 1, 22050, 64), 16), "Unsupported WAV coding"},
        {"μ-law 16 bit", wav(fmt(7, 1, 8000, 16), 16), "Unsupported WAV coding"},
        {"no channels", wav(fmt(1, 0, 22050, 16, 2), 4), "channels"},
        {"nine channels", wav(fmt(1, 9, 22050, 16), 18), "channels"},
        {"rate zero", wav(fmt(1, 1, 0, 16, 2), 4), "sample rate"},
        {"rate huge", wav(fmt(1, 1, 4000000, 16), 4), "sample rate"},
        {"block size wrong", wav(fmt(1, 2, 22050, 16, 2), 4), "block size"},
        {"extensible, foreign GUID", wav(fmtExtensible(1, 1, 22050, 16, false), 4), "extensible"},
        {"extensible too short", wav(cut(fmtExtensible(1, 1, 22050, 16), 24), 4), "extensible"},
        {"no data", riff({chunk("fmt ", mono16)}), "no samples"},
        {"empty data", wav(mono16, 0), "no samples"},
        {"less than a frame", wav(fmt(1, 2, 22050, 16), 3), "no samples"},
        {"endless empty chunks", junk, "too many chunks"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string why;
        const auto layout = readLayout(c.file, why);
        if (c.refusal) {
            EXPECT_FALSE(layout);
            EXPECT_NE(why.find(c.refusal), std::string::npos) << why;
            continue;
        }
        ASSERT_TRUE(layout) << why;
        EXPECT_EQ(layout->encoding, c.encoding);
        EXPECT_EQ(layout->dataOffset, c.dataOffset);
        EXPECT_EQ(layout->dataSize, c.dataSize);

        // What the decoder is shown must read back as the same sound.
        const auto header = layout->canonicalHeader();
        Bytes canonical(header.begin(), header.end());
        canonical.resize(canonical.size() + layout->dataSize);
        const auto again = readLayout(canonical, why);
        ASSERT_TRUE(again) << why;
        EXPECT_EQ(again->canonicalHeader(), header);
        EXPECT_EQ(again->dataOffset, 44u);
    }
}

// Each coding decodes to the value it stands for, whatever the position of the
// frame; what lies beyond the samples is silence.
TEST(WavClip, DecodesEveryCodingToFullScaleFloats) {
    const auto clipOf = [](std::uint16_t tag, std::uint16_t bits, const Bytes& samples) {
        std::string why;
        const Bytes file = riff({chunk("fmt ", fmt(tag, 1, 8000, bits)), chunk("data", samples)});
        auto clip = WavClip::read(reader(file), file.size(), why);
        EXPECT_TRUE(clip) << why;
        return clip;
    };
    const Bytes floats = [] {
        Bytes b;
        for (float f : {0.5f, -1.5f, std::numeric_limits<float>::quiet_NaN(), 1.0f}) {
            std::uint32_t u;
            std::memcpy(&u, &f, 4);
            put(b, u, 4);
        }
        return b;
    }();
    const struct {
        const char* name;
        std::uint16_t tag, bits;
        Bytes samples;
        std::vector<float> values;
    } cases[] = {
        {"8 bit", 1, 8, {0x80, 0x00, 0xFF, 0xC0}, {0, -1, 127 / 128.f, 0.5f}},
        {"16 bit", 1, 16, {0, 0, 0, 0x80, 0xFF, 0x7F, 0, 0x40}, {0, -1, 32767 / 32768.f, 0.5f}},
        {"24 bit", 1, 24, {0, 0, 0x80, 0xFF, 0xFF, 0xFF, 0, 0, 0x40}, {-1, -1 / 8388608.f, 0.5f}},
        {"32 bit", 1, 32, {0, 0, 0, 0x80, 0, 0, 0, 0xC0}, {-1, -0.5f}},
        {"float, damaged values made safe", 3, 32, floats, {0.5f, -1, 0, 1}},
        {"μ-law",
         7,
         8,
         {0xFF, 0x7F, 0x80, 0x00, 0xEF},
         {0, 0, 32124 / 32768.f, -32124 / 32768.f, 132 / 32768.f}},
        {"A-law",
         6,
         8,
         {0xD5, 0x55, 0xAA, 0x2A},
         {8 / 32768.f, -8 / 32768.f, 32256 / 32768.f, -32256 / 32768.f}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto clip = clipOf(c.tag, c.bits, c.samples);
        ASSERT_TRUE(clip);
        ASSERT_EQ(clip->frames(), c.values.size());
        for (std::size_t i = 0; i < c.values.size(); ++i) {
            float one[3] = {9, 9, 9};
            clip->decode(i, 3, one);
            EXPECT_FLOAT_EQ(one[0], c.values[i]) << "frame " << i;
            for (std::size_t k = 1; k < 3; ++k)
                EXPECT_EQ(one[k], i + k < c.values.size() ? c.values[i + k] : 0.0f);
        }
    }
    // Our G.711 expansion is the inverse of the standard compression.
    for (int s = -32768; s < 32768; s += 7) {
        const auto mu = clipOf(7, 8, {muLaw(s)}), a = clipOf(6, 8, {aLaw(s)});
        float m = 0, l = 0;
        mu->decode(0, 1, &m);
        a->decode(0, 1, &l);
        const double step = std::max(16.0, std::abs(s) / 16.0);
        ASSERT_NEAR(m * 32768, std::clamp(s, -32124, 32124), step) << s;
        ASSERT_NEAR(l * 32768, std::clamp(s, -32256, 32256), step) << s;
    }
}

// Only what a ring can play is kept: the first minute and a few seconds.
TEST(WavClip, KeepsTheFirstSecondsOfALongSoundAndRefusesUnreadableSamples) {
    std::string why;
    const Bytes longFile = wav(fmt(1, 1, 1000, 8), 100000);
    const auto clip = WavClip::read(reader(longFile), longFile.size(), why);
    ASSERT_TRUE(clip) << why;
    EXPECT_EQ(clip->frames(), std::size_t(WavClip::kMaxSeconds * 1000));
    const auto failing = [&longFile](std::uint64_t at, void* buffer, std::size_t count) {
        return at >= 44 ? count / 2 : reader(longFile)(at, buffer, count);
    };
    EXPECT_FALSE(WavClip::read(failing, longFile.size(), why));
    EXPECT_NE(why.find("samples"), std::string::npos) << why;
}

TEST(BeepTone, TwoShortDistinctTonesThatStartAndEndQuietly) {
    const auto ok = beepTone(0, 44100), exclamation = beepTone(48, 44100);
    EXPECT_EQ(beepTone(16, 44100), ok);
    EXPECT_NE(ok, exclamation);
    for (const auto& tone : {ok, exclamation}) {
        ASSERT_GT(tone.size(), 44100u / 10);
        EXPECT_LE(tone.size(), 44100u * 4 / 10);
        EXPECT_GT(std::abs(std::ranges::max(tone, {}, [](std::int16_t s) { return std::abs(s); })),
                  3000);
        EXPECT_LT(std::abs(tone.front()), 200);
        EXPECT_LT(std::abs(tone.back()), 200);
    }
}

}  // namespace
