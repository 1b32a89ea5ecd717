#pragma once

#include <cstdint>
#include <span>
#include <vector>

// A complete 16-bit PCM WAV file in memory; `samples` are interleaved frames.
std::vector<std::uint8_t> makeWav16(std::span<const std::int16_t> samples, unsigned channels,
                                    unsigned sampleRate);
