#pragma once

#include "sound/wavlayout.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The checked samples of a WAV file, held in memory so that the sound stays
// playable whatever becomes of the file, and decoded by our own code. A ring
// never lasts beyond its minute, so only the first kMaxSeconds are kept.
class WavClip {
public:
    static constexpr double kMaxSeconds = 65;
    // Bounds the memory of a file whose first minute is unusually large.
    static constexpr std::uint64_t kMaxBytes = 64u << 20;

    // Reads the layout and then the samples through `readAt`; nullopt, with the
    // reason in `why`, for a file we do not play or cannot read.
    static std::optional<WavClip> read(const WavLayout::ReadAt& readAt, std::uint64_t fileSize,
                                       std::string& why);

    const WavLayout& layout() const { return m_layout; }
    unsigned channels() const { return m_layout.channels; }
    unsigned sampleRate() const { return m_layout.sampleRate; }
    std::size_t frames() const;
    double seconds() const;

    // Writes `count` frames from `first` as interleaved floats in [-1, 1], one per
    // channel; frames beyond the end are silence.
    void decode(std::size_t first, std::size_t count, float* out) const;

private:
    WavLayout m_layout;
    std::vector<std::uint8_t> m_samples;
};
