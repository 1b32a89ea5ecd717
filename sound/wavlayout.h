#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// Where the samples of a WAV file lie and how they are coded, found by walking the
// file's chunks. Only plain PCM (8, 16, 24, 32 bits) and 32-bit float are accepted.
// The decoder behind the player trusts whatever header it reads, so it is only ever
// shown canonicalHeader() followed by the samples, never the file's own chunks.
struct WavLayout {
    std::uint16_t encoding = 0;  // 1 PCM, 3 IEEE float
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
    double seconds() const;
    // RIFF/WAVE with a 16-byte "fmt " chunk and the "data" chunk header.
    std::array<std::uint8_t, 44> canonicalHeader() const;
};
