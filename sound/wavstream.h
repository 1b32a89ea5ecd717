#pragma once

#include "sound/wavlayout.h"

#include <chrono>
#include <cstddef>
#include <memory>

// The samples of a sound, read ahead of where it plays in bounded chunks on a
// thread of its own: neither the device's callback nor the sound's thread ever
// waits on the file, and the memory held does not grow with the sound's length.
// Any thread may call it; its reader lives on, detached, while a read hangs.
class WavStream {
public:
    WavStream(const WavLayout& layout, WavLayout::ReadAt readAt);
    ~WavStream();
    WavStream(const WavStream&) = delete;
    WavStream& operator=(const WavStream&) = delete;

    const WavLayout& layout() const { return m_layout; }
    // The frames the sound has: fewer than the layout's once a read came short (the
    // file was cut or failed since it was opened).
    std::size_t frames() const;
    // Decodes up to `count` frames from `first` into `out`, as WavLayout::decode
    // does; returns how many were read already. Never waits: frames not read yet
    // are asked for, from `first` on when it lies elsewhere (a rewind).
    std::size_t decode(std::size_t first, std::size_t count, float* out);
    // How long the read under way has taken: a file that hangs shows here.
    std::chrono::steady_clock::duration stalledFor() const;

private:
    struct Shared;

    const WavLayout m_layout;
    std::shared_ptr<Shared> m_shared;
};
