#include "sound/sdlaudio.h"

#include "sound/soundlog.h"

#include <SDL_log.h>

#include <dlfcn.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void SDLCALL logSdl(void*, int, SDL_LogPriority, const char* message) {
    qCDebug(lcSound, "SDL: %s", message);
}

// The ALSA library reports errors (a machine without a sound card gives a dozen
// lines on opening the default device) through a handler that prints them.
using AlsaErrorHandler = void (*)(const char* file, int line, const char* function, int err,
                                  const char* format, ...);

void logAlsa(const char* file, int line, const char* function, int err, const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    qCDebug(lcSound, "ALSA: %s:%d (%s) %s%s%s", file, line, function, text, err ? ": " : "",
            err ? std::strerror(std::abs(err)) : "");
}

// Loaded first so that SDL, which loads it by the same name, finds it with our
// handler already in place.
void quietAlsa() {
    void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    if (!alsa) return;
    using SetHandler = int (*)(AlsaErrorHandler);
    if (auto set = reinterpret_cast<SetHandler>(dlsym(alsa, "snd_lib_error_set_handler")))
        set(&logAlsa);
}

template <typename Function>
bool bind(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    if (!function) qCDebug(lcSound, "SDL2 has no %s", name);
    return function != nullptr;
}

const SdlAudio* load() {
    quietAlsa();
    void* library = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        qCDebug(lcSound, "no SDL2: %s", dlerror());
        return nullptr;
    }
    static SdlAudio sdl;
    decltype(&SDL_LogSetOutputFunction) setLogOutput = nullptr;
    const bool complete = bind(library, "SDL_SetHint", sdl.SetHint) &&
                          bind(library, "SDL_GetError", sdl.GetError) &&
                          bind(library, "SDL_InitSubSystem", sdl.InitSubSystem) &&
                          bind(library, "SDL_QuitSubSystem", sdl.QuitSubSystem) &&
                          bind(library, "SDL_GetCurrentAudioDriver", sdl.GetCurrentAudioDriver) &&
                          bind(library, "SDL_OpenAudioDevice", sdl.OpenAudioDevice) &&
                          bind(library, "SDL_CloseAudioDevice", sdl.CloseAudioDevice) &&
                          bind(library, "SDL_PauseAudioDevice", sdl.PauseAudioDevice) &&
                          bind(library, "SDL_GetAudioDeviceStatus", sdl.GetAudioDeviceStatus) &&
                          bind(library, "SDL_LockAudioDevice", sdl.LockAudioDevice) &&
                          bind(library, "SDL_UnlockAudioDevice", sdl.UnlockAudioDevice) &&
                          bind(library, "SDL_NewAudioStream", sdl.NewAudioStream) &&
                          bind(library, "SDL_AudioStreamPut", sdl.AudioStreamPut) &&
                          bind(library, "SDL_AudioStreamGet", sdl.AudioStreamGet) &&
                          bind(library, "SDL_AudioStreamAvailable", sdl.AudioStreamAvailable) &&
                          bind(library, "SDL_AudioStreamFlush", sdl.AudioStreamFlush) &&
                          bind(library, "SDL_FreeAudioStream", sdl.FreeAudioStream) &&
                          bind(library, "SDL_LogSetOutputFunction", setLogOutput);
    if (!complete) return nullptr;
    setLogOutput(&logSdl, nullptr);
    // SDL would otherwise turn SIGTERM and SIGINT into events nobody reads, and the
    // program could no longer be ended by the session or by kill.
    sdl.SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    return &sdl;
}

}  // namespace

const SdlAudio* SdlAudio::get() {
    static const SdlAudio* const loaded = load();
    return loaded;
}
