// bench_sweep write FILE: a 90 s sine sweep (200 Hz to 2 kHz, half scale, mono 44100 Hz).
// bench_sweep gaps RAW: the silent gaps inside the sound recorded in RAW (16-bit mono
// 44100 Hz), from its first sample heard to its last, printed as
// "gaps over 5 ms, gaps over 1 ms, longest gap in ms, seconds heard", and each gap
// over 1 ms on standard error.
#include "sound/wavwriter.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <numbers>
#include <vector>

namespace {

constexpr int kRate = 44100;

int write(const char* path) {
    constexpr double seconds = 90, from = 200, to = 2000;
    std::vector<std::int16_t> samples(std::size_t(seconds * kRate));
    double phase = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double pitch = from * std::pow(to / from, double(i) / double(samples.size()));
        phase += 2 * std::numbers::pi * pitch / kRate;
        samples[i] = std::int16_t(16384 * std::sin(phase));
    }
    const auto wav = makeWav16(samples, 1, kRate);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(wav.data()), std::streamsize(wav.size()));
    return 0;
}

int gaps(const char* path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
    std::vector<std::int16_t> s(bytes.size() / 2);
    std::memcpy(s.data(), bytes.data(), s.size() * 2);
    // A sweep at half scale is never this quiet for more than a sample or two.
    const auto silent = [&s](std::size_t i) { return std::abs(int(s[i])) <= 64; };
    std::size_t first = 0, last = s.size();
    while (first < s.size() && silent(first)) ++first;
    while (last > first && silent(last - 1)) --last;
    int over5 = 0, over1 = 0;
    std::size_t longest = 0;
    for (std::size_t i = first; i < last;) {
        std::size_t run = 0;
        while (i + run < last && silent(i + run)) ++run;
        if (run * 1000 > std::size_t(kRate)) {
            ++over1;
            std::fprintf(stderr, "gap of %.1f ms at %.3f s\n", double(run) * 1000 / kRate,
                         double(i - first) / kRate);
        }
        if (run * 1000 > std::size_t(5 * kRate)) ++over5;
        longest = std::max(longest, run);
        i += run ? run : 1;
    }
    std::printf("%d\t%d\t%.1f\t%.1f\n", over5, over1, double(longest) * 1000 / kRate,
                double(last - first) / kRate);
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc == 3 && std::strcmp(argv[1], "write") == 0) return write(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "gaps") == 0) return gaps(argv[2]);
    std::fprintf(stderr, "usage: bench_sweep write FILE | gaps RAW\n");
    return 2;
}
