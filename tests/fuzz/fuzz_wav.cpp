// Arbitrary bytes as the alarm sound's WAV file: WavLayout either refuses them or
// finds samples whose every frame decodes to finite values within [-1, 1].

#include "sound/wavlayout.h"

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
    const auto layout = WavLayout::read(readAt, size, why);
    if (!layout) {
        if (why.empty()) std::abort();
        return 0;
    }
    if (layout->frames() == 0 || layout->channels == 0 ||
        layout->channels > WavLayout::kMaxChannels || layout->dataOffset > size)
        std::abort();
    // Every frame in the file, as the stream reads and decodes them.
    const std::size_t frames =
        std::min<std::size_t>(layout->frames(), (size - layout->dataOffset) / layout->frameSize());
    std::vector<float> out(frames * layout->channels);
    layout->decode(data + layout->dataOffset, frames, out.data());
    for (float v : out)
        if (!std::isfinite(v) || v < -1.0f || v > 1.0f) std::abort();
    return 0;
}
