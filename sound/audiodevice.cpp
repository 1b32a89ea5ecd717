#include "sound/audiodevice.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <string>

namespace {
int g_users = 0;
}

bool AudioDevice::acquire() {
    if (g_users > 0) {
        ++g_users;
        return true;
    }
    // SDL would otherwise turn SIGTERM and SIGINT into events nobody reads, and the
    // program could no longer be ended by the session or by kill.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    // 1024 frames keep Stop and the beeps within about 25 ms of the call.
    if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) != 0) {
        const std::string reason = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        SDL_SetError("%s", reason.c_str());
        return false;
    }
    g_users = 1;
    return true;
}

void AudioDevice::release() {
    if (g_users == 0) return;
    if (--g_users == 0) {
        Mix_CloseAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
}

int AudioDevice::users() {
    return g_users;
}
