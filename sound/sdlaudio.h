#pragma once

#include <SDL.h>

// The SDL functions the sound engine calls, taken from the SDL2 library when the
// program first needs a sound device: a clock that never rings maps nothing of
// SDL or of the sound servers' client libraries. SDL's own messages, and those of
// the ALSA library beneath it, go to the debug log instead of standard error.
struct SdlAudio {
    // The library, loaded once; nullptr when it cannot be had (the reason is in
    // the debug log). Safe from any thread.
    static const SdlAudio* get();

    decltype(&SDL_SetHint) SetHint;
    decltype(&SDL_GetError) GetError;
    decltype(&SDL_InitSubSystem) InitSubSystem;
    decltype(&SDL_QuitSubSystem) QuitSubSystem;
    decltype(&SDL_GetCurrentAudioDriver) GetCurrentAudioDriver;
    decltype(&SDL_OpenAudioDevice) OpenAudioDevice;
    decltype(&SDL_CloseAudioDevice) CloseAudioDevice;
    decltype(&SDL_PauseAudioDevice) PauseAudioDevice;
    decltype(&SDL_GetAudioDeviceStatus) GetAudioDeviceStatus;
    decltype(&SDL_LockAudioDevice) LockAudioDevice;
    decltype(&SDL_UnlockAudioDevice) UnlockAudioDevice;
    decltype(&SDL_NewAudioStream) NewAudioStream;
    decltype(&SDL_AudioStreamPut) AudioStreamPut;
    decltype(&SDL_AudioStreamGet) AudioStreamGet;
    decltype(&SDL_AudioStreamAvailable) AudioStreamAvailable;
    decltype(&SDL_AudioStreamFlush) AudioStreamFlush;
    decltype(&SDL_FreeAudioStream) FreeAudioStream;
};
