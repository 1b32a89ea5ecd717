#include "sound/wavclip.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace {

// G.711 expansion to 16-bit linear.
constexpr int muLawToLinear(std::uint8_t code) {
    const int u = ~code & 0xFF;
    const int magnitude = (((u & 0x0F) << 3) + 0x84) << ((u & 0x70) >> 4);
    return (u & 0x80) ? 0x84 - magnitude : magnitude - 0x84;
}

constexpr int aLawToLinear(std::uint8_t code) {
    const int a = code ^ 0x55;
    const int segment = (a & 0x70) >> 4;
    int magnitude = (a & 0x0F) << 4;
    if (segment == 0)
        magnitude += 8;
    else
        magnitude = (magnitude + 0x108) << (segment - 1);
    return (a & 0x80) ? magnitude : -magnitude;
}

template <int (*Expand)(std::uint8_t)>
constexpr std::array<float, 256> table() {
    std::array<float, 256> t{};
    for (int i = 0; i < 256; ++i) t[i] = float(Expand(std::uint8_t(i))) / 32768.0f;
    return t;
}

constexpr auto kMuLaw = table<muLawToLinear>();
constexpr auto kALaw = table<aLawToLinear>();

std::int32_t signedLe(const std::uint8_t* p, unsigned bytes) {
    std::uint32_t v = 0;
    for (unsigned i = 0; i < bytes; ++i) v |= std::uint32_t(p[i]) << (8 * i);
    const unsigned unused = 32 - 8 * bytes;
    return std::int32_t(v << unused) >> unused;
}

float sample(const WavLayout& layout, const std::uint8_t* p) {
    switch (layout.encoding) {
        case 6:
            return kALaw[*p];
        case 7:
            return kMuLaw[*p];
        case 3: {
            float f;
            std::memcpy(&f, p, 4);
            // A damaged file must not put NaN or huge values into the mix.
            return std::isfinite(f) ? std::clamp(f, -1.0f, 1.0f) : 0.0f;
        }
        default:
            break;
    }
    const unsigned bytes = layout.bitsPerSample / 8u;
    if (bytes == 1) return float(int(*p) - 128) / 128.0f;
    return float(double(signedLe(p, bytes)) / double(1u << (8 * bytes - 1)));
}

}  // namespace

std::optional<WavClip> WavClip::read(const WavLayout::ReadAt& readAt, std::uint64_t fileSize,
                                     std::string& why) {
    auto layout = WavLayout::read(readAt, fileSize, why);
    if (!layout) return std::nullopt;
    const std::uint64_t frame = layout->frameSize();
    const auto longest = static_cast<std::uint64_t>(kMaxSeconds * layout->sampleRate);
    const std::uint64_t frames = std::min({layout->dataSize / frame, longest, kMaxBytes / frame});
    WavClip clip;
    clip.m_samples.resize(frames * frame);
    if (readAt(layout->dataOffset, clip.m_samples.data(), clip.m_samples.size()) !=
        clip.m_samples.size()) {
        why = "Couldn't read the WAV file's samples";
        return std::nullopt;
    }
    layout->dataSize = clip.m_samples.size();
    clip.m_layout = *layout;
    return clip;
}

std::size_t WavClip::frames() const {
    return m_layout.frameSize() ? m_samples.size() / m_layout.frameSize() : 0;
}

double WavClip::seconds() const {
    return m_layout.sampleRate ? double(frames()) / m_layout.sampleRate : 0;
}

void WavClip::decode(std::size_t first, std::size_t count, float* out) const {
    const unsigned width = m_layout.bitsPerSample / 8u;
    const std::size_t have = first < frames() ? std::min(count, frames() - first) : 0;
    const std::uint8_t* p = m_samples.data() + first * m_layout.frameSize();
    const std::size_t values = have * m_layout.channels;
    for (std::size_t i = 0; i < values; ++i, p += width) out[i] = sample(m_layout, p);
    std::fill(out + values, out + count * m_layout.channels, 0.0f);
}
