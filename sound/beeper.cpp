#include "sound/beeper.h"

#include "sound/audiodevice.h"
#include "sound/beeptone.h"
#include "sound/wavwriter.h"

#include <SDL.h>
#include <SDL_mixer.h>

namespace {

constexpr unsigned kRate = 44100;

// Converted by the mixer to whatever format the device really has.
Mix_Chunk* makeChunk(unsigned type) {
    const auto wav = makeWav16(beepTone(type, kRate), 1, kRate);
    SDL_RWops* src = SDL_RWFromConstMem(wav.data(), static_cast<int>(wav.size()));
    return src ? Mix_LoadWAV_RW(src, 1) : nullptr;
}

}  // namespace

struct Beeper::Impl {
    bool holdsDevice = false;
    Mix_Chunk* ok = nullptr;           // type 0
    Mix_Chunk* exclamation = nullptr;  // type 48

    void letGo() {
        // Freeing a chunk also halts the channels that still play it.
        Mix_FreeChunk(ok);
        Mix_FreeChunk(exclamation);
        ok = exclamation = nullptr;
        if (holdsDevice) AudioDevice::release();
        holdsDevice = false;
    }

    bool ready() {
        if (holdsDevice) return true;
        if (!AudioDevice::acquire()) return false;
        holdsDevice = true;
        ok = makeChunk(0);
        exclamation = makeChunk(48);
        if (ok && exclamation) return true;
        letGo();
        return false;
    }
};

Beeper::Beeper() : m_impl(new Impl) {}

Beeper::~Beeper() {
    m_impl->letGo();
    delete m_impl;
}

void Beeper::releaseIfQuiet() {
    if (m_impl->holdsDevice && Mix_Playing(-1) == 0) m_impl->letGo();
}

bool Beeper::beep(unsigned type) {
    if (!m_impl->ready()) return false;
    // Any free channel: the music stream is apart from them, so a playing alarm goes on.
    return Mix_PlayChannel(-1, type == 48 ? m_impl->exclamation : m_impl->ok, 0) >= 0;
}
