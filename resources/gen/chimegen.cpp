// Writes the program's default alarm sound: a rising arpeggio of four bell notes
// (C6, E6, G6, C7), each made of three inharmonic partials that die away at
// their own rates, like a small struck bell. Mono, 16 bit, 44100 Hz.
// Usage: chimegen OUTPUT.wav

#include "sound/wavwriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

namespace {

constexpr unsigned kRate = 44100;
constexpr double kSeconds = 3.0;

struct Partial {
    double ratio;  // of the note's pitch
    double level;
    double decay;  // e-folding time, seconds
};

// Bell-like: the hum an octave below gives warmth, the strike tone rings
// longest, the bright upper partial fades first.
constexpr Partial kPartials[] = {{0.5, 0.25, 0.9}, {1.0, 0.6, 0.7}, {2.76, 0.25, 0.18}};

void addBell(std::vector<double>& mix, double start, double pitch, double level) {
    const auto first = static_cast<std::size_t>(start * kRate);
    for (std::size_t i = first; i < mix.size(); ++i) {
        const double t = static_cast<double>(i - first) / kRate;
        const double strike = std::min(1.0, t / 0.002);  // no click at the onset
        double v = 0;
        for (const Partial& p : kPartials)
            v += p.level * std::exp(-t / p.decay) *
                 std::sin(2 * std::numbers::pi * pitch * p.ratio * t);
        mix[i] += level * strike * v;
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.wav\n", argv[0]);
        return 2;
    }
    std::vector<double> mix(static_cast<std::size_t>(kSeconds * kRate), 0.0);
    const double notes[] = {1046.50, 1318.51, 1567.98, 2093.00};
    for (std::size_t n = 0; n < std::size(notes); ++n)
        addBell(mix, 0.18 * static_cast<double>(n), notes[n],
                n + 1 == std::size(notes) ? 0.5 : 0.4);

    // Fade the last half second so the file ends in silence.
    const std::size_t fade = kRate / 2;
    for (std::size_t i = 0; i < fade; ++i) mix[mix.size() - 1 - i] *= static_cast<double>(i) / fade;

    const double peak = *std::max_element(
        mix.begin(), mix.end(), [](double a, double b) { return std::abs(a) < std::abs(b); });
    std::vector<std::int16_t> samples(mix.size());
    std::transform(mix.begin(), mix.end(), samples.begin(), [peak](double v) {
        return static_cast<std::int16_t>(std::lround(v / std::abs(peak) * 0.7 * 32767));
    });

    const auto wav = makeWav16(samples, 1, kRate);
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out || std::fwrite(wav.data(), 1, wav.size(), out) != wav.size() ||
        std::fclose(out) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
