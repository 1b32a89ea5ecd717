#include "sound/wavstream.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// A quarter of a second of the sound at a time, and never more than a few of them:
// a second ahead of a common sound, at most 6 MiB for the largest we play.
constexpr std::size_t kMinChunkBytes = 16 << 10;
constexpr std::size_t kMaxChunkBytes = 1 << 20;
constexpr std::size_t kChunks = 6;

struct Chunk {
    std::size_t first = 0;  // frame
    std::vector<std::uint8_t> bytes;
};

}  // namespace

// What the stream and its reader share; the reader keeps it while a read hangs.
struct WavStream::Shared {
    WavLayout layout;
    WavLayout::ReadAt readAt;
    std::size_t chunkFrames = 0;

    std::mutex mutex;
    std::condition_variable wake;
    bool quit = false;
    std::deque<Chunk> chunks;
    std::size_t end = 0;               // frames the sound has
    std::size_t next = 0;              // the next frame to read
    std::size_t asked = 0;             // where the last decode began
    bool seek = false;                 // the reader starts again from `next`
    Clock::time_point readingSince{};  // while a read is under way

    std::size_t framesOf(const Chunk& c) const { return c.bytes.size() / layout.frameSize(); }

    // Chunks well behind where the sound plays are let go: a device taking over
    // from another starts a little behind it.
    bool behind(const Chunk& c) const { return c.first + framesOf(c) + 2 * chunkFrames <= asked; }

    bool work() const {
        return seek || (next < end && (chunks.size() < kChunks || behind(chunks.front())));
    }

    void run() {
        std::unique_lock lock(mutex);
        for (;;) {
            wake.wait(lock, [this] { return quit || work(); });
            if (quit) return;
            if (seek) {
                chunks.clear();
                seek = false;
            }
            while (!chunks.empty() && behind(chunks.front())) chunks.pop_front();
            if (chunks.size() >= kChunks || next >= end) continue;
            Chunk chunk{next, {}};
            const std::size_t want = std::min(chunkFrames, end - next) * layout.frameSize();
            readingSince = Clock::now();
            lock.unlock();
            chunk.bytes.resize(want);
            const std::size_t got =
                readAt(layout.dataOffset + std::uint64_t(chunk.first) * layout.frameSize(),
                       chunk.bytes.data(), want);
            chunk.bytes.resize(got / layout.frameSize() * layout.frameSize());
            lock.lock();
            readingSince = {};
            if (seek || chunk.first != next) continue;  // a rewind came meanwhile
            if (got < want) end = chunk.first + framesOf(chunk);
            next = chunk.first + framesOf(chunk);
            if (!chunk.bytes.empty()) chunks.push_back(std::move(chunk));
        }
    }
};

WavStream::WavStream(const WavLayout& layout, WavLayout::ReadAt readAt)
    : m_layout(layout), m_shared(std::make_shared<Shared>()) {
    Shared& s = *m_shared;
    s.layout = layout;
    s.readAt = std::move(readAt);
    const std::size_t quarter = std::size_t(layout.sampleRate) * layout.frameSize() / 4;
    const std::size_t bytes = std::clamp(quarter, kMinChunkBytes, kMaxChunkBytes);
    s.chunkFrames = std::max<std::size_t>(1, bytes / layout.frameSize());
    s.end = layout.frames();
    std::thread([shared = m_shared] { shared->run(); }).detach();
}

WavStream::~WavStream() {
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->quit = true;
    }
    m_shared->wake.notify_one();
}

std::size_t WavStream::frames() const {
    const std::lock_guard lock(m_shared->mutex);
    return m_shared->end;
}

std::size_t WavStream::decode(std::size_t first, std::size_t count, float* out) {
    Shared& s = *m_shared;
    const std::lock_guard lock(s.mutex);
    std::size_t done = 0;
    for (const Chunk& c : s.chunks) {
        const std::size_t at = first + done;
        if (done == count || at < c.first) break;
        const std::size_t has = s.framesOf(c);
        if (at >= c.first + has) continue;
        const std::size_t n = std::min(count - done, c.first + has - at);
        m_layout.decode(c.bytes.data() + (at - c.first) * m_layout.frameSize(), n,
                        out + done * m_layout.channels);
        done += n;
    }
    const std::size_t at = first + done;
    const bool ahead = !s.chunks.empty() && at >= s.chunks.front().first;
    // Neither read nor on its way: the sound was rewound or moved.
    if (!done && at < s.end && !(ahead && at <= s.next) && !(s.chunks.empty() && at == s.next)) {
        s.next = at;
        s.seek = true;
    }
    s.asked = first;
    if (s.work()) s.wake.notify_one();
    return done;
}

std::chrono::steady_clock::duration WavStream::stalledFor() const {
    const std::lock_guard lock(m_shared->mutex);
    const auto since = m_shared->readingSince;
    return since == Clock::time_point{} ? Clock::duration{} : Clock::now() - since;
}
