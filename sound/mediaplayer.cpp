#include "sound/mediaplayer.h"

#include "app/errors.h"
#include "sound/audiodevice.h"
#include "sound/wavlayout.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace {

const char* const kNoDevice = "MCI ﾃﾞﾊﾞｲｽがありません";
const char* const kUnknownError = "原因不明のｴﾗｰ";

// The music stream has room for one sound; this is the one we put there last.
const Mix_Music* g_onStream = nullptr;

[[noreturn]] void fail(std::string text) {
    throw EMCIDeviceError(text.empty() ? std::string(kUnknownError) : text);
}

std::string sdlError() {
    const char* text = SDL_GetError();
    return text ? text : "";
}

bool hasWavExtension(const std::string& path) {
    const auto dot = path.find_last_of("./");
    if (dot == std::string::npos || path[dot] != '.') return false;
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(c | 0x20); });
    return ext == "wav";
}

// A read-only stream that shows the decoder our own header followed by the samples
// of the file, so none of the file's other chunks ever reaches it.
struct CanonicalWav {
    std::array<std::uint8_t, 44> header;
    SDL_RWops* file;
    Sint64 dataOffset;
    Sint64 size;  // header and samples
    Sint64 pos = 0;

    static CanonicalWav* of(SDL_RWops* ops) {
        return static_cast<CanonicalWav*>(ops->hidden.unknown.data1);
    }

    static Sint64 SDLCALL sizeOf(SDL_RWops* ops) { return of(ops)->size; }

    static Sint64 SDLCALL seek(SDL_RWops* ops, Sint64 offset, int whence) {
        CanonicalWav* w = of(ops);
        Sint64 base = whence == RW_SEEK_SET ? 0 : whence == RW_SEEK_CUR ? w->pos : w->size;
        const Sint64 to = base + offset;
        if (to < 0) return SDL_SetError("Seek before the start of the WAV file");
        w->pos = to;
        return to;
    }

    static size_t SDLCALL read(SDL_RWops* ops, void* ptr, size_t size, size_t maxnum) {
        CanonicalWav* w = of(ops);
        if (size == 0 || w->pos >= w->size) return 0;
        const auto want =
            static_cast<Sint64>(std::min<size_t>(maxnum, (w->size - w->pos) / size) * size);
        auto* out = static_cast<std::uint8_t*>(ptr);
        Sint64 done = 0;
        if (w->pos < static_cast<Sint64>(w->header.size())) {
            const Sint64 n = std::min<Sint64>(want, static_cast<Sint64>(w->header.size()) - w->pos);
            std::memcpy(out, w->header.data() + w->pos, static_cast<size_t>(n));
            done = n;
        }
        if (done < want) {
            const Sint64 at = w->dataOffset + w->pos + done - static_cast<Sint64>(w->header.size());
            if (SDL_RWseek(w->file, at, RW_SEEK_SET) < 0) return static_cast<size_t>(done) / size;
            done += static_cast<Sint64>(
                SDL_RWread(w->file, out + done, 1, static_cast<size_t>(want - done)));
        }
        w->pos += done;
        return static_cast<size_t>(done) / size;
    }

    static size_t SDLCALL write(SDL_RWops*, const void*, size_t, size_t) {
        SDL_SetError("The WAV file is read-only");
        return 0;
    }

    static int SDLCALL close(SDL_RWops* ops) {
        CanonicalWav* w = of(ops);
        SDL_RWclose(w->file);
        delete w;
        SDL_FreeRW(ops);
        return 0;
    }
};

// Opens `path` as a stream for the decoder, or raises with the reason.
SDL_RWops* openWav(const std::string& path) {
    if (path.empty()) fail("No file name");
    if (!hasWavExtension(path)) fail("Unsupported file type: " + path);
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) fail("Couldn't open " + path);

    SDL_RWops* file = SDL_RWFromFile(path.c_str(), "rb");
    if (!file) fail(sdlError());
    const Sint64 fileSize = SDL_RWsize(file);
    const auto readAt = [file](std::uint64_t offset, void* buffer,
                               std::size_t count) -> std::size_t {
        if (SDL_RWseek(file, static_cast<Sint64>(offset), RW_SEEK_SET) < 0) return 0;
        return SDL_RWread(file, buffer, 1, count);
    };
    std::string why;
    const auto layout = fileSize < 0
                            ? std::nullopt
                            : WavLayout::read(readAt, static_cast<std::uint64_t>(fileSize), why);
    if (!layout) {
        SDL_RWclose(file);
        fail(why.empty() ? sdlError() : why);
    }

    SDL_RWops* ops = SDL_AllocRW();
    if (!ops) {
        SDL_RWclose(file);
        fail(sdlError());
    }
    auto* wav =
        new CanonicalWav{layout->canonicalHeader(), file, static_cast<Sint64>(layout->dataOffset),
                         static_cast<Sint64>(44 + layout->dataSize)};
    ops->size = &CanonicalWav::sizeOf;
    ops->seek = &CanonicalWav::seek;
    ops->read = &CanonicalWav::read;
    ops->write = &CanonicalWav::write;
    ops->close = &CanonicalWav::close;
    ops->type = SDL_RWOPS_UNKNOWN;
    ops->hidden.unknown.data1 = wav;
    return ops;
}

}  // namespace

struct TMediaPlayer::Impl {
    // Ready: at the beginning, off the stream. Playing: put on the stream by Play (it
    // may have ended since). Paused: stopped halfway, still on the stream.
    enum class State { Closed, Ready, Playing, Paused, Ended };

    std::string path;
    // Loaded, and the audio device held, from Open or Play until releaseIfIdle
    // finds the sound at its start: an open device keeps a mixing thread waking
    // hundreds of times a minute.
    Mix_Music* music = nullptr;
    State state = State::Closed;
    double length = 0;
    int starts = 0;
    std::string lastError;

    bool onStream() const { return music && g_onStream == music; }

    // Playing turns into Ended once the stream has played the sound to its end,
    // and anything on the stream turns into Ready when another sound took it.
    void catchUp() {
        if (state != State::Playing && state != State::Paused) return;
        if (!onStream())
            state = State::Ready;
        else if (state == State::Playing && !Mix_PlayingMusic())
            state = State::Ended;
    }

    // Raises with the reason when the file or the device cannot be had.
    void load() {
        SDL_RWops* stream = openWav(path);
        if (!AudioDevice::acquire()) {
            const std::string reason = sdlError();
            SDL_RWclose(stream);
            fail(reason);
        }
        music = Mix_LoadMUSType_RW(stream, MUS_WAV, 1);
        if (!music) {
            const std::string reason = sdlError();
            AudioDevice::release();
            fail(reason);
        }
        length = std::max(0.0, Mix_MusicDuration(music));
    }

    void unload() {
        if (!music) return;
        takeOffStream();
        Mix_FreeMusic(music);
        music = nullptr;
        AudioDevice::release();
    }

    void startFromBeginning() {
        if (!music) {
            try {
                load();
            } catch (const std::exception& e) {
                lastError = e.what();
                return;
            }
        }
        if (Mix_PlayMusic(music, 0) != 0) {
            lastError = sdlError();
            return;
        }
        g_onStream = music;
        state = State::Playing;
        ++starts;
        lastError.clear();
    }

    void takeOffStream() {
        if (onStream()) {
            Mix_HaltMusic();
            g_onStream = nullptr;
        }
    }

    void requireOpen() const {
        if (state == State::Closed) throw EMCIDeviceError(kNoDevice);
    }
};

TMediaPlayer::TMediaPlayer() : m_impl(new Impl) {}

TMediaPlayer::~TMediaPlayer() {
    Close();
    delete m_impl;
}

void TMediaPlayer::Open() {
    Close();
    m_impl->path = FileName;
    m_impl->load();
    m_impl->starts = 0;
    m_impl->lastError.clear();
    m_impl->state = Impl::State::Ready;
}

void TMediaPlayer::Play() {
    m_impl->requireOpen();
    m_impl->catchUp();
    switch (m_impl->state) {
        case Impl::State::Ready:
        case Impl::State::Ended:
            m_impl->startFromBeginning();
            break;
        case Impl::State::Paused:
            Mix_ResumeMusic();
            m_impl->state = Impl::State::Playing;
            break;
        case Impl::State::Playing:
        case Impl::State::Closed:
            break;
    }
}

void TMediaPlayer::Stop() {
    m_impl->requireOpen();
    m_impl->catchUp();
    if (m_impl->state == Impl::State::Playing) {
        Mix_PauseMusic();
        m_impl->state = Impl::State::Paused;
    }
}

void TMediaPlayer::SeekToStart() {
    m_impl->requireOpen();
    m_impl->takeOffStream();
    m_impl->state = Impl::State::Ready;
}

void TMediaPlayer::releaseIfIdle() {
    m_impl->catchUp();
    if (m_impl->state == Impl::State::Ready) m_impl->unload();
}

void TMediaPlayer::Close() {
    if (m_impl->state == Impl::State::Closed) return;
    m_impl->unload();
    m_impl->state = Impl::State::Closed;
}

bool TMediaPlayer::isOpen() const {
    return m_impl->state != Impl::State::Closed;
}

bool TMediaPlayer::isPlaying() const {
    m_impl->catchUp();
    return m_impl->state == Impl::State::Playing;
}

double TMediaPlayer::position() const {
    m_impl->catchUp();
    switch (m_impl->state) {
        case Impl::State::Playing:
        case Impl::State::Paused:
            return std::max(0.0, Mix_GetMusicPosition(m_impl->music));
        case Impl::State::Ended:
            return m_impl->length;
        case Impl::State::Ready:
        case Impl::State::Closed:
            break;
    }
    return 0;
}

double TMediaPlayer::length() const {
    return m_impl->length;
}

int TMediaPlayer::startCount() const {
    return m_impl->starts;
}

const std::string& TMediaPlayer::lastError() const {
    return m_impl->lastError;
}
