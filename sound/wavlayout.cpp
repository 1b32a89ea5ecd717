#include "sound/wavlayout.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace {

constexpr std::uint16_t kPcm = WavLayout::kPcm;
constexpr std::uint16_t kFloat = WavLayout::kFloat;
constexpr std::uint16_t kALaw = WavLayout::kALaw;
constexpr std::uint16_t kMuLaw = WavLayout::kMuLaw;
constexpr std::uint16_t kExtensible = 0xFFFE;
constexpr int kMaxChunks = 4096;  // bounds the walk through a file of empty chunks
constexpr std::uint32_t kMinRate = 1000;
constexpr std::uint32_t kMaxRate = 384000;

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

constexpr auto kMuLawTable = table<muLawToLinear>();
constexpr auto kALawTable = table<aLawToLinear>();

std::int32_t signedLe(const std::uint8_t* p, unsigned bytes) {
    std::uint32_t v = 0;
    for (unsigned i = 0; i < bytes; ++i) v |= std::uint32_t(p[i]) << (8 * i);
    const unsigned unused = 32 - 8 * bytes;
    return std::int32_t(v << unused) >> unused;
}

float sample(std::uint16_t encoding, unsigned bytes, const std::uint8_t* p) {
    switch (encoding) {
        case kALaw:
            return kALawTable[*p];
        case kMuLaw:
            return kMuLawTable[*p];
        case kFloat: {
            float f;
            std::memcpy(&f, p, 4);
            // A damaged file must not put NaN or huge values into the mix.
            return std::isfinite(f) ? std::clamp(f, -1.0f, 1.0f) : 0.0f;
        }
        default:
            break;
    }
    if (bytes == 1) return float(int(*p) - 128) / 128.0f;
    return float(double(signedLe(p, bytes)) / double(1u << (8 * bytes - 1)));
}

// The last 14 bytes of the KSDATAFORMAT_SUBTYPE_ GUIDs; the first two carry the tag.
constexpr std::uint8_t kSubtypeTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                           0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

std::uint16_t le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::uint32_t le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void put16(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void put32(std::uint8_t* p, std::uint32_t v) {
    put16(p, v);
    put16(p + 2, v >> 16);
}

bool codingSupported(std::uint16_t encoding, std::uint16_t bits) {
    if (encoding == kPcm) return bits == 8 || bits == 16 || bits == 24 || bits == 32;
    if (encoding == kALaw || encoding == kMuLaw) return bits == 8;
    return encoding == kFloat && bits == 32;
}

// Checks a whole "fmt " chunk and fills the coding fields of `layout`.
bool parseFormat(const std::uint8_t* fmt, std::uint32_t size, WavLayout& layout, std::string& why) {
    std::uint16_t encoding = le16(fmt);
    const std::uint16_t channels = le16(fmt + 2);
    const std::uint32_t rate = le32(fmt + 4);
    const std::uint16_t blockAlign = le16(fmt + 12);
    const std::uint16_t bits = le16(fmt + 14);
    if (encoding == kExtensible) {
        if (size < 40 || le16(fmt + 16) < 22 ||
            std::memcmp(fmt + 26, kSubtypeTail, sizeof kSubtypeTail) != 0) {
            why = "Damaged WAV format chunk (extensible)";
            return false;
        }
        encoding = le16(fmt + 24);
    }
    if (!codingSupported(encoding, bits)) {
        why = "Unsupported WAV coding (format " + std::to_string(encoding) + ", " +
              std::to_string(bits) + " bits)";
        return false;
    }
    if (channels < 1 || channels > WavLayout::kMaxChannels) {
        why = "Unsupported number of WAV channels (" + std::to_string(channels) + ")";
        return false;
    }
    if (rate < kMinRate || rate > kMaxRate) {
        why = "Unsupported WAV sample rate (" + std::to_string(rate) + ")";
        return false;
    }
    if (blockAlign != channels * (bits / 8)) {
        why = "Damaged WAV format chunk (block size)";
        return false;
    }
    layout.encoding = encoding;
    layout.channels = channels;
    layout.sampleRate = rate;
    layout.bitsPerSample = bits;
    return true;
}

}  // namespace

std::optional<WavLayout> WavLayout::read(const ReadAt& readAt, std::uint64_t fileSize,
                                         std::string& why) {
    std::uint8_t head[12];
    if (fileSize < sizeof head || readAt(0, head, sizeof head) != sizeof head ||
        std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, "WAVE", 4) != 0) {
        why = "Not a WAV file";
        return std::nullopt;
    }

    WavLayout layout;
    bool haveFormat = false;
    bool haveData = false;
    std::uint64_t declaredData = 0;
    std::uint64_t offset = sizeof head;
    for (int chunks = 0; offset + 8 <= fileSize && !(haveFormat && haveData); ++chunks) {
        if (chunks == kMaxChunks) {
            why = "Damaged WAV file (too many chunks)";
            return std::nullopt;
        }
        std::uint8_t chunk[8];
        if (readAt(offset, chunk, sizeof chunk) != sizeof chunk) {
            why = "Couldn't read the WAV file";
            return std::nullopt;
        }
        const std::uint32_t size = le32(chunk + 4);
        const std::uint64_t body = offset + 8;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (haveFormat) {
                why = "Damaged WAV file (two format chunks)";
                return std::nullopt;
            }
            std::uint8_t fmt[40] = {};
            const std::size_t want = std::min<std::uint32_t>(size, sizeof fmt);
            if (size < 16 || body + size > fileSize || readAt(body, fmt, want) != want) {
                why = "Damaged WAV format chunk";
                return std::nullopt;
            }
            if (!parseFormat(fmt, size, layout, why)) return std::nullopt;
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0 && !haveData) {
            haveData = true;
            layout.dataOffset = body;
            // A file cut short keeps the samples it still has.
            declaredData = std::min<std::uint64_t>(size, fileSize - body);
        }
        offset = body + size + (size & 1u);
    }

    if (!haveFormat) {
        why = "Damaged WAV file (no format chunk)";
        return std::nullopt;
    }
    // The canonical header counts the samples in 32 bits, header included.
    const std::uint64_t limit = 0xFFFFFFFFu - 36u;
    const std::uint64_t frame = layout.frameSize();
    layout.dataSize = std::min(declaredData, limit) / frame * frame;
    if (!haveData || layout.dataSize == 0) {
        why = "WAV file has no samples";
        return std::nullopt;
    }
    return layout;
}

std::size_t WavLayout::frames() const {
    if (!frameSize()) return 0;
    const auto longest = static_cast<std::uint64_t>(kMaxSeconds * sampleRate);
    return static_cast<std::size_t>(std::min(dataSize / frameSize(), longest));
}

double WavLayout::seconds() const {
    return sampleRate ? static_cast<double>(frames()) / sampleRate : 0.0;
}

void WavLayout::decode(const std::uint8_t* bytes, std::size_t count, float* out) const {
    const unsigned width = bitsPerSample / 8u;
    const std::size_t values = count * channels;
    for (std::size_t i = 0; i < values; ++i, bytes += width)
        out[i] = sample(encoding, width, bytes);
}

std::array<std::uint8_t, 44> WavLayout::canonicalHeader() const {
    std::array<std::uint8_t, 44> h{};
    std::uint8_t* p = h.data();
    std::memcpy(p, "RIFF", 4);
    put32(p + 4, static_cast<std::uint32_t>(36 + dataSize));
    std::memcpy(p + 8, "WAVEfmt ", 8);
    put32(p + 16, 16);
    put16(p + 20, encoding);
    put16(p + 22, channels);
    put32(p + 24, sampleRate);
    put32(p + 28, sampleRate * frameSize());
    put16(p + 32, frameSize());
    put16(p + 34, bitsPerSample);
    std::memcpy(p + 36, "data", 4);
    put32(p + 40, static_cast<std::uint32_t>(dataSize));
    return h;
}
