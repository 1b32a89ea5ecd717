#include "sound/wavwriter.h"

#include "sound/wavlayout.h"

std::vector<std::uint8_t> makeWav16(std::span<const std::int16_t> samples, unsigned channels,
                                    unsigned sampleRate) {
    WavLayout layout;
    layout.encoding = WavLayout::kPcm;
    layout.channels = static_cast<std::uint16_t>(channels);
    layout.sampleRate = sampleRate;
    layout.bitsPerSample = 16;
    layout.dataSize = samples.size() * 2;

    const auto header = layout.canonicalHeader();
    std::vector<std::uint8_t> wav(header.begin(), header.end());
    wav.reserve(wav.size() + layout.dataSize);
    for (std::int16_t s : samples) {
        const auto u = static_cast<std::uint16_t>(s);
        wav.push_back(static_cast<std::uint8_t>(u & 0xFF));
        wav.push_back(static_cast<std::uint8_t>(u >> 8));
    }
    return wav;
}
