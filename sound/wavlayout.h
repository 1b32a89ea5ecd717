#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// Where the samples of a WAV file lie and how they are coded, found by walking the
// file's chunks. Plain PCM (8, 16, 24, 32 bits), 32-bit float and 8-bit A-law and
// μ-law are accepted: the codings our own decoding in WavClip knows.
struct WavLayout {
    std::uint16_t encoding = 0;  // 1 PCM, 3 IEEE float, 6 A-law, 7 μ-law
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
    // RIFF/WAVE with a 16-byte "fmt " chunk and the "data" chunk header, for the
    // files the program writes itself.
    std::array<std::uint8_t, 44> canonicalHeader() const;
};
