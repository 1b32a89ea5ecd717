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

inline Bytes chunk(const char* tag, const Bytes& body) {
    Bytes b(tag, tag + 4);
    put(b, static_cast<std::uint32_t>(body.size()), 4);
    b.insert(b.end(), body.begin(), body.end());
    if (body.size() % 2) b.push_back(0);
    return b;
}

inline Bytes riff(std::initializer_list<Bytes> chunks) {
    Bytes body = {'W', 'A', 'V', 'E'};
    for (const Bytes& c : chunks) body.insert(body.end(), c.begin(), c.end());
    return chunk("RIFF", body);
}

inline Bytes fmt(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                 std::uint32_t blockAlign = 0) {
    const std::uint32_t align = blockAlign ? blockAlign : channels * (bits / 8u);
    Bytes b;
    for (auto [v, n] : {std::pair<std::uint32_t, int>{tag, 2},
                        {channels, 2},
                        {rate, 4},
                        {rate * align, 4},
                        {align, 2},
                        {bits, 2}})
        put(b, v, n);
    return b;
}

// WAVE_FORMAT_EXTENSIBLE around a plain tag; `guidTail` false spoils the GUID.
inline Bytes fmtExtensible(std::uint16_t subTag, std::uint16_t channels, std::uint32_t rate,
                           std::uint16_t bits, bool guidTail = true) {
    Bytes b = fmt(0xFFFE, channels, rate, bits);
    put(b, 22 | bits << 16, 4);
    put(b, channels == 1 ? 4u : 3u, 4);
    put(b, subTag, 2);
    b.insert(b.end(), {0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B});
    b.push_back(guidTail ? 0x71 : 0);
    return b;
}

// The samples and the format chunk of a plain file.
inline Bytes wav(const Bytes& format, std::size_t dataBytes) {
    return riff({chunk("fmt ", format), chunk("data", Bytes(dataBytes, 0x11))});
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
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path.string();
}

}  // namespace wavtest
