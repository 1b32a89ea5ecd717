#pragma once

#include <SDL_mixer.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>

// Listens to what the mixer sends to the device: the loudest sample since reset().
// Install it while the audio device is open.
class MixProbe {
public:
    MixProbe() { Mix_SetPostMix(&listen, this); }
    ~MixProbe() { Mix_SetPostMix(nullptr, nullptr); }
    MixProbe(const MixProbe&) = delete;
    MixProbe& operator=(const MixProbe&) = delete;

    void reset() { m_peak = 0; }
    int peak() const { return m_peak; }

private:
    static void SDLCALL listen(void* self, Uint8* stream, int len) {
        auto* probe = static_cast<MixProbe*>(self);
        int block = 0;
        for (int i = 0; i + 1 < len; i += 2) {
            std::int16_t s;
            std::memcpy(&s, stream + i, 2);
            block = std::max(block, std::abs(static_cast<int>(s)));
        }
        int seen = probe->m_peak;
        while (block > seen && !probe->m_peak.compare_exchange_weak(seen, block)) {
        }
    }

    std::atomic<int> m_peak{0};
};
