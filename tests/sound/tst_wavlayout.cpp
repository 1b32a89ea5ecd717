#include "sound/beeptone.h"
#include "sound/wavlayout.h"
#include "wavbuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace wavtest;

namespace {

std::optional<WavLayout> readLayout(const Bytes& file, std::string& why) {
    const auto readAt = [&file](std::uint64_t offset, void* buffer,
                                std::size_t count) -> std::size_t {
        if (offset >= file.size()) return 0;
        const std::size_t n = std::min<std::size_t>(count, file.size() - offset);
        std::memcpy(buffer, file.data() + offset, n);
        return n;
    };
    return WavLayout::read(readAt, file.size(), why);
}

Bytes samples(std::size_t n) {
    return Bytes(n, 0x11);
}

Bytes truncated(Bytes b, std::size_t size) {
    b.resize(size);
    return b;
}

Bytes patched(Bytes b, std::size_t at, const char* tag) {
    std::memcpy(b.data() + at, tag, 4);
    return b;
}

Bytes manyEmptyChunks() {
    Bytes b = riff({});
    for (int i = 0; i < 5000; ++i) {
        const Bytes junk = chunk("junk", {});
        b.insert(b.end(), junk.begin(), junk.end());
    }
    return b;
}

struct LayoutCase {
    const char* name;
    Bytes file;
    const char* refusal;  // part of the reason, or nullptr when accepted
    std::uint16_t encoding = 0;
    std::uint64_t dataOffset = 0;
    std::uint64_t dataSize = 0;
};

std::ostream& operator<<(std::ostream& os, const LayoutCase& c) {
    return os << c.name;
}

class WavLayoutTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(WavLayoutTest, AcceptsOnlyPlainSoundsWithASaneHeader) {
    const LayoutCase& c = GetParam();
    std::string why;
    const auto layout = readLayout(c.file, why);
    if (c.refusal) {
        EXPECT_FALSE(layout);
        EXPECT_NE(why.find(c.refusal), std::string::npos) << why;
        return;
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
    EXPECT_EQ(again->encoding, layout->encoding);
    EXPECT_EQ(again->channels, layout->channels);
    EXPECT_EQ(again->sampleRate, layout->sampleRate);
    EXPECT_EQ(again->bitsPerSample, layout->bitsPerSample);
    EXPECT_EQ(again->dataOffset, 44u);
    EXPECT_EQ(again->dataSize, layout->dataSize);
}

const Bytes kMono16 = fmt(1, 1, 22050, 16);
const Bytes kGood = riff({chunk("fmt ", kMono16), chunk("data", samples(100))});

INSTANTIATE_TEST_SUITE_P(
    Files, WavLayoutTest,
    ::testing::Values(
        LayoutCase{"plain_16_bit", kGood, nullptr, 1, 44, 100},
        LayoutCase{"float_32_bit",
                   riff({chunk("fmt ", fmt(3, 2, 48000, 32)), chunk("data", samples(64))}), nullptr,
                   3, 44, 64},
        LayoutCase{
            "extensible_24_bit",
            riff({chunk("fmt ", fmtExtensible(1, 2, 44100, 24)), chunk("data", samples(60))}),
            nullptr, 1, 68, 60},
        LayoutCase{
            "chunks_before_with_padding",
            riff({chunk("LIST", samples(7)), chunk("fmt ", kMono16), chunk("data", samples(10))}),
            nullptr, 1, 60, 10},
        LayoutCase{"data_before_format", riff({chunk("data", samples(10)), chunk("fmt ", kMono16)}),
                   nullptr, 1, 20, 10},
        LayoutCase{
            "cut_short_keeps_whole_frames",
            truncated(riff({chunk("fmt ", fmt(1, 2, 22050, 16)), chunk("data", samples(400))}),
                      44 + 103),
            nullptr, 1, 44, 100},
        LayoutCase{"text", Bytes{'h', 'e', 'l', 'l', 'o', '\n'}, "Not a WAV"},
        LayoutCase{"empty", Bytes{}, "Not a WAV"},
        LayoutCase{"cut_in_riff_header", truncated(kGood, 8), "Not a WAV"},
        LayoutCase{"riff_of_another_kind", patched(kGood, 8, "AVI "), "Not a WAV"},
        LayoutCase{"header_cut_in_format", truncated(kGood, 30), "format chunk"},
        LayoutCase{"header_cut_before_data", truncated(kGood, 36), "no samples"},
        LayoutCase{"format_too_small",
                   riff({chunk("fmt ", truncated(kMono16, 14)), chunk("data", samples(4))}),
                   "format chunk"},
        LayoutCase{"no_format", riff({chunk("data", samples(4))}), "no format chunk"},
        LayoutCase{
            "two_formats",
            riff({chunk("fmt ", kMono16), chunk("fmt ", kMono16), chunk("data", samples(4))}),
            "two format"},
        LayoutCase{"adpcm",
                   riff({chunk("fmt ", fmt(2, 1, 22050, 4, 256)), chunk("data", samples(256))}),
                   "Unsupported WAV coding"},
        LayoutCase{"pcm_12_bit",
                   riff({chunk("fmt ", fmt(1, 1, 22050, 12, 2)), chunk("data", samples(4))}),
                   "Unsupported WAV coding"},
        LayoutCase{"float_64_bit",
                   riff({chunk("fmt ", fmt(3, 1, 22050, 64)), chunk("data", samples(16))}),
                   "Unsupported WAV coding"},
        LayoutCase{"no_channels",
                   riff({chunk("fmt ", fmt(1, 0, 22050, 16, 2)), chunk("data", samples(4))}),
                   "channels"},
        LayoutCase{"nine_channels",
                   riff({chunk("fmt ", fmt(1, 9, 22050, 16)), chunk("data", samples(18))}),
                   "channels"},
        LayoutCase{"rate_zero",
                   riff({chunk("fmt ", fmt(1, 1, 0, 16, 2)), chunk("data", samples(4))}),
                   "sample rate"},
        LayoutCase{"rate_huge",
                   riff({chunk("fmt ", fmt(1, 1, 4000000, 16)), chunk("data", samples(4))}),
                   "sample rate"},
        LayoutCase{"block_size_wrong",
                   riff({chunk("fmt ", fmt(1, 2, 22050, 16, 2)), chunk("data", samples(4))}),
                   "block size"},
        LayoutCase{
            "extensible_foreign_guid",
            riff({chunk("fmt ", fmtExtensible(1, 1, 22050, 16, false)), chunk("data", samples(4))}),
            "extensible"},
        LayoutCase{"extensible_too_short",
                   riff({chunk("fmt ", truncated(fmtExtensible(1, 1, 22050, 16), 24)),
                         chunk("data", samples(4))}),
                   "extensible"},
        LayoutCase{"no_data", riff({chunk("fmt ", kMono16)}), "no samples"},
        LayoutCase{"empty_data", riff({chunk("fmt ", kMono16), chunk("data", {})}), "no samples"},
        LayoutCase{"less_than_a_frame",
                   riff({chunk("fmt ", fmt(1, 2, 22050, 16)), chunk("data", samples(3))}),
                   "no samples"},
        LayoutCase{"endless_empty_chunks", manyEmptyChunks(), "too many chunks"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BeepTone, TwoShortDistinctTonesThatStartAndEndQuietly) {
    const auto ok = beepTone(0, 44100);
    const auto exclamation = beepTone(48, 44100);
    EXPECT_EQ(beepTone(16, 44100), ok);
    EXPECT_NE(ok, exclamation);
    for (const auto& tone : {ok, exclamation}) {
        ASSERT_GT(tone.size(), 44100u / 10);
        EXPECT_LE(tone.size(), 44100u * 4 / 10);
        const auto peak = std::ranges::max(tone, {}, [](std::int16_t s) { return std::abs(s); });
        EXPECT_GT(std::abs(peak), 3000);
        EXPECT_LT(std::abs(tone.front()), 200);
        EXPECT_LT(std::abs(tone.back()), 200);
    }
}

}  // namespace
