#pragma once

#include <SDL_mixer.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>

// Listens to what the mixer sends to the device: the loudest 16-bit sample since
// reset(). Install it while the audio device is open.
class MixProbe {
public:
    MixProbe() { Mix_SetPostMix(&listen, this); }
    ~MixProbe() { Mix_SetPostMix(nullptr, nullptr); }

    void reset() { m_peak = 0; }
    int peak() const { return m_peak; }

private:
    // Only the audio thread raises the peak, so a plain load and store will do.
    static void SDLCALL listen(void* self, Uint8* stream, int len) {
        auto& peak = static_cast<MixProbe*>(self)->m_peak;
        for (int i = 0; i + 1 < len; i += 2) {
            std::int16_t s;
            std::memcpy(&s, stream + i, 2);
            if (std::abs(s) > peak) peak = std::abs(s);
        }
    }

    std::atomic<int> m_peak{0};
};
