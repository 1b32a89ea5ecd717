// clickref: the reference clicks that place a recording of the sound server on
// the wall clock. Connects one playback stream at start and keeps it running with
// silence; for each wall-clock instant read from standard input (seconds since
// the epoch, one per line) it plays a 1 ms click at that instant, and prints the
// instant the click leaves the server: the time it was written plus the stream's
// whole latency as the server reports it. A recording of the sink's monitor then
// holds each click at its printed instant.
#include <pulse/error.h>
#include <pulse/simple.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <deque>
#include <string>
#include <vector>

namespace {

constexpr unsigned kRate = 44100;
constexpr std::size_t kChunkFrames = 88;  // 2 ms

double wallNow() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

}  // namespace

int main() {
    const pa_sample_spec spec{PA_SAMPLE_S16LE, kRate, 1};
    pa_buffer_attr attr{};
    attr.maxlength = std::uint32_t(-1);
    attr.tlength = std::uint32_t(4 * kChunkFrames * 2);  // 8 ms queued at most
    attr.prebuf = std::uint32_t(-1);
    attr.minreq = std::uint32_t(-1);
    attr.fragsize = std::uint32_t(-1);
    int error = 0;
    pa_simple* stream = pa_simple_new(nullptr, "pipiron bench", PA_STREAM_PLAYBACK, nullptr,
                                      "reference click", &spec, nullptr, &attr, &error);
    if (!stream) {
        std::fprintf(stderr, "clickref: %s\n", pa_strerror(error));
        return 1;
    }
    fcntl(0, F_SETFL, fcntl(0, F_GETFL) | O_NONBLOCK);
    const std::vector<std::int16_t> silence(kChunkFrames, 0);
    std::vector<std::int16_t> click(kChunkFrames, 0);
    for (std::size_t i = 0; i < kRate / 1000; ++i) click[i] = 16000;

    std::deque<double> due;
    std::string line;
    bool input = true;
    while (input || !due.empty()) {
        char c;
        ssize_t n;
        while ((n = read(0, &c, 1)) == 1) {
            if (c != '\n') {
                line += c;
                continue;
            }
            due.push_back(std::atof(line.c_str()));
            line.clear();
        }
        if (n == 0) input = false;
        const double now = wallNow();
        const bool clickNow = !due.empty() && now >= due.front() - 0.001;
        if (clickNow) {
            const pa_usec_t latency = pa_simple_get_latency(stream, &error);
            std::printf("%.6f\n", wallNow() + double(latency) / 1e6);
            std::fflush(stdout);
            due.pop_front();
        }
        const auto& chunk = clickNow ? click : silence;
        if (pa_simple_write(stream, chunk.data(), chunk.size() * 2, &error) < 0) {
            std::fprintf(stderr, "clickref: %s\n", pa_strerror(error));
            return 1;
        }
    }
    pa_simple_drain(stream, &error);
    pa_simple_free(stream);
    return 0;
}
