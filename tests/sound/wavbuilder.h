#pragma once

// Test WAV files made byte by byte, so that each case shows what it breaks.

#include "sound/wavwriter.h"

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

namespace wavtest {

using Bytes = std::vector<std::uint8_t>;

inline void put(Bytes& b, std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

inline void put(Bytes& b, const char* tag) {
    b.insert(b.end(), tag, tag + 4);
}

inline Bytes chunk(const char* tag, const Bytes& body, std::uint32_t declared = UINT32_MAX) {
    Bytes b;
    put(b, tag);
    put(b, declared == UINT32_MAX ? static_cast<std::uint32_t>(body.size()) : declared, 4);
    b.insert(b.end(), body.begin(), body.end());
    if (body.size() % 2) b.push_back(0);
    return b;
}

inline Bytes fmt(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                 int blockAlign = -1) {
    const std::uint32_t align =
        blockAlign < 0 ? channels * (bits / 8u) : static_cast<std::uint32_t>(blockAlign);
    Bytes b;
    put(b, tag, 2);
    put(b, channels, 2);
    put(b, rate, 4);
    put(b, rate * align, 4);
    put(b, align, 2);
    put(b, bits, 2);
    return b;
}

// WAVE_FORMAT_EXTENSIBLE around a plain tag; `guidTail` false spoils the GUID.
inline Bytes fmtExtensible(std::uint16_t subTag, std::uint16_t channels, std::uint32_t rate,
                           std::uint16_t bits, bool guidTail = true) {
    Bytes b = fmt(0xFFFE, channels, rate, bits);
    put(b, 22, 2);
    put(b, bits, 2);
    put(b, channels == 1 ? 4u : 3u, 4);
    put(b, subTag, 2);
    const std::uint8_t tail[14] = {
        0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
        0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, guidTail ? std::uint8_t(0x71) : std::uint8_t(0)};
    b.insert(b.end(), tail, tail + 14);
    return b;
}

inline Bytes riff(std::initializer_list<Bytes> chunks) {
    Bytes body;
    put(body, "WAVE");
    for (const Bytes& c : chunks) body.insert(body.end(), c.begin(), c.end());
    Bytes b;
    put(b, "RIFF");
    put(b, static_cast<std::uint32_t>(body.size()), 4);
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

// A quiet 440 Hz sine, mono 16 bit.
inline Bytes sine(double seconds, unsigned rate = 22050) {
    std::vector<std::int16_t> s(static_cast<std::size_t>(seconds * rate));
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<std::int16_t>(8000 * std::sin(2 * std::numbers::pi * 440 * i / rate));
    return makeWav16(s, 1, rate);
}

inline std::string write(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path.string();
}

}  // namespace wavtest
