#pragma once

// Test WAV files made byte by byte, so that each case shows what it breaks.

#include "sound/wavwriter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
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

// A quiet sine, mono 16 bit.
inline Bytes sine(double seconds, unsigned rate = 22050, double pitch = 440) {
    std::vector<std::int16_t> s(static_cast<std::size_t>(seconds * rate));
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<std::int16_t>(8000 * std::sin(2 * std::numbers::pi * pitch * i / rate));
    return makeWav16(s, 1, rate);
}

// G.711 compression of a 16-bit sample, as telephone equipment codes it.
inline std::uint8_t muLaw(int sample) {
    const int sign = sample < 0 ? 0x80 : 0;
    int v = std::min(sign ? -sample : sample, 32635) + 0x84;
    int exponent = 7;
    for (int mask = 0x4000; !(v & mask) && exponent > 0; mask >>= 1) --exponent;
    return std::uint8_t(~(sign | exponent << 4 | ((v >> (exponent + 3)) & 0x0F)));
}

inline std::uint8_t aLaw(int sample) {
    int v = sample >> 3;
    const int mask = v >= 0 ? 0xD5 : 0x55;
    if (v < 0) v = -v - 1;
    int segment = 0;
    while (segment < 8 && v > (0x20 << segment) - 1) ++segment;
    if (segment == 8) return std::uint8_t(0x7F ^ mask);
    const int step = segment < 2 ? v >> 1 : v >> segment;
    return std::uint8_t((segment << 4 | (step & 0x0F)) ^ mask);
}

// A sine of a quarter of full scale in any coding a WAV file may have (tag 1 PCM,
// 3 float, 6 A-law, 7 μ-law), the same in every channel.
inline Bytes tone(std::uint16_t tag, std::uint16_t bits, std::uint16_t channels, unsigned rate,
                  double seconds, double pitch, bool extensible = false, const Bytes& extra = {}) {
    Bytes data;
    for (std::size_t i = 0; i < std::size_t(seconds * rate); ++i) {
        const double v = 0.25 * std::sin(2 * std::numbers::pi * pitch * double(i) / rate);
        const int s16 = int(std::lround(v * 32767));
        for (int c = 0; c < channels; ++c) {
            if (tag == 6) {
                data.push_back(aLaw(s16));
            } else if (tag == 7) {
                data.push_back(muLaw(s16));
            } else if (tag == 3) {
                const float f = float(v);
                std::uint32_t u;
                std::memcpy(&u, &f, 4);
                put(data, u, 4);
            } else if (bits == 8) {
                data.push_back(std::uint8_t(128 + std::lround(v * 127)));
            } else {
                put(data, std::uint32_t(std::lround(v * double(1u << (bits - 1)))), bits / 8);
            }
        }
    }
    const Bytes format =
        extensible ? fmtExtensible(tag, channels, rate, bits) : fmt(tag, channels, rate, bits);
    return riff({chunk("fmt ", format), extra, chunk("data", data)});
}

inline std::string write(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path.string();
}

}  // namespace wavtest
