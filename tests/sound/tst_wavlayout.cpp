#include "sound/beeptone.h"
#include "sound/wavlayout.h"
#include "wavbuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace wavtest;

namespace {

std::optional<WavLayout> readLayout(const Bytes& file, std::string& why) {
    return WavLayout::read(
        [&file](std::uint64_t at, void* buffer, std::size_t count) -> std::size_t {
            const std::size_t n = at < file.size() ? std::min(count, file.size() - at) : 0;
            if (n) std::memcpy(buffer, file.data() + at, n);
            return n;
        },
        file.size(), why);
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
