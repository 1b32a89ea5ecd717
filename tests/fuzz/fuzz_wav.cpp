// Arbitrary bytes as a WAV file for the alarm sound player: Open either refuses them
// with EMCIDeviceError or gives a sound on which Play, Stop and SeekToStart act.
// The last sound is left playing, so the audio thread decodes whatever the
// previous input let through while the next one is being opened.

#include "app/errors.h"
#include "sound/audiodevice.h"
#include "sound/mediaplayer.h"

#include <SDL.h>

#include <unistd.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string g_path;
TMediaPlayer* g_player = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    // Held for the whole run, so that each input does not open the device anew.
    if (!AudioDevice::acquire()) {
        std::fprintf(stderr, "no audio device: %s\n", SDL_GetError());
        std::abort();
    }
    const char* dir = std::getenv("TMPDIR");
    g_path = std::string(dir ? dir : "/tmp") + "/fuzz_wav_" + std::to_string(getpid()) + ".wav";
    g_player = new TMediaPlayer;
    g_player->FileName = g_path;
    std::atexit([] {
        delete g_player;
        AudioDevice::release();
        std::remove(g_path.c_str());
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(g_path.c_str(), "wb");
    if (!file) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);

    TMediaPlayer& player = *g_player;
    try {
        player.Open();
    } catch (const EMCIDeviceError&) {
        if (player.isOpen()) std::abort();
        return 0;
    }
    player.Play();
    player.Stop();
    const double stoppedAt = player.position();
    if (!(stoppedAt >= 0 && stoppedAt <= player.length() + 0.01)) std::abort();
    player.Play();
    player.SeekToStart();
    if (player.position() != 0 || player.isPlaying()) std::abort();
    player.Play();
    if (!player.lastError().empty()) std::abort();
    return 0;
}
