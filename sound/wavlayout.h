#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// Where the samples of a WAV file lie and how they are coded, found by walking the
// file's chunks, and the decoding of those samples by our own code. Plain PCM (8, 16,
// 24, 32 bits), 32-bit float and 8-bit A-law and μ-law are accepted.
struct WavLayout {
    // The format tags of the codings we decode.
    static constexpr std::uint16_t kPcm = 1;
    static constexpr std::uint16_t kFloat = 3;
    static constexpr std::uint16_t kALaw = 6;
    static constexpr std::uint16_t kMuLaw = 7;
    // The most channels a sound may have: buffers of decoded frames are sized by it.
    static constexpr unsigned kMaxChannels = 8;
    // A ring never lasts beyond its minute, so only the first kMaxSeconds are played.
    static constexpr double kMaxSeconds = 65;

    std::uint16_t encoding = 0;
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint16_t bitsPerSample = 0;
    std::uint64_t dataOffset = 0;  // from the start of the file
    std::uint64_t dataSize = 0;    // whole frames that are really in the file

    // Reads up to `count` bytes at `offset`; returns how many it read.
    using ReadAt =
        std::function<std::size_t(std::uint64_t offset, void* buffer, std::size_t count)>;

    // The layout of a sound we are willing to play, or nullopt with the reason in `why`.
    static std::optional<WavLayout> read(const ReadAt& readAt, std::uint64_t fileSize,
                                         std::string& why);

    unsigned frameSize() const { return channels * (bitsPerSample / 8u); }
    // The frames played: all of them, up to kMaxSeconds.
    std::size_t frames() const;
    double seconds() const;
    // Writes `count` frames coded as this layout says, from `bytes`, as interleaved
    // floats in [-1, 1], one per channel.
    void decode(const std::uint8_t* bytes, std::size_t count, float* out) const;
    // RIFF/WAVE with a 16-byte "fmt " chunk and the "data" chunk header, for the
    // files the program writes itself.
    std::array<std::uint8_t, 44> canonicalHeader() const;
};
