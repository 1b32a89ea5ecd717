// Arbitrary bytes as the alarm sound's WAV file: WavClip either refuses them or
// keeps samples whose every frame decodes to finite values within [-1, 1].

#include "sound/wavclip.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto readAt = [data, size](std::uint64_t offset, void* buffer, std::size_t count) {
        const std::size_t n = offset < size ? std::min<std::uint64_t>(count, size - offset) : 0;
        if (n) std::memcpy(buffer, data + offset, n);
        return n;
    };
    std::string why;
    const auto clip = WavClip::read(readAt, size, why);
    if (!clip) {
        if (why.empty()) std::abort();
        return 0;
    }
    if (clip->frames() == 0 || clip->channels() == 0 || clip->channels() > 8) std::abort();
    // Read in steps that do not divide the clip evenly, and past its end.
    constexpr std::size_t kStep = 7;
    std::vector<float> out(kStep * clip->channels());
    for (std::size_t first = 0; first < clip->frames() + kStep; first += kStep) {
        clip->decode(first, kStep, out.data());
        for (float v : out)
            if (!std::isfinite(v) || v < -1.0f || v > 1.0f) std::abort();
    }
    return 0;
}
