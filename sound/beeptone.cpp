#include "sound/beeptone.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

struct Note {
    double start;     // seconds
    double length;    // seconds
    double pitch;     // Hz
    double level;     // 0..1
    double decay;     // e-folding time, seconds
    double overtone;  // share of the odd harmonics that make a tone sharp
};

std::vector<std::int16_t> render(std::initializer_list<Note> notes, double total, unsigned rate) {
    const auto frames = static_cast<std::size_t>(total * rate);
    std::vector<double> mix(frames, 0.0);
    const double attack = 0.004;  // short enough to ring at once, long enough not to click
    for (const Note& n : notes) {
        const auto first = static_cast<std::size_t>(n.start * rate);
        const auto count = std::min(frames - first, static_cast<std::size_t>(n.length * rate));
        for (std::size_t i = 0; i < count; ++i) {
            const double t = static_cast<double>(i) / rate;
            const double left = n.length - t;
            const double envelope =
                std::min({1.0, t / attack, left / attack}) * std::exp(-t / n.decay);
            const double phase = 2 * std::numbers::pi * n.pitch * t;
            const double wave =
                std::sin(phase) + n.overtone * (std::sin(3 * phase) / 3 + std::sin(5 * phase) / 5);
            mix[first + i] += n.level * envelope * wave / (1 + n.overtone * 0.5);
        }
    }
    std::vector<std::int16_t> samples(frames);
    std::transform(mix.begin(), mix.end(), samples.begin(), [](double v) {
        return static_cast<std::int16_t>(std::lround(std::clamp(v, -1.0, 1.0) * 32767));
    });
    return samples;
}

}  // namespace

std::vector<std::int16_t> beepTone(unsigned type, unsigned sampleRate) {
    if (type == 48) {
        return render({{0.00, 0.11, 466.16, 0.40, 0.5, 0.8}, {0.17, 0.11, 466.16, 0.40, 0.5, 0.8}},
                      0.30, sampleRate);
    }
    return render({{0.00, 0.16, 1318.51, 0.30, 0.08, 0.0}, {0.08, 0.17, 1046.50, 0.30, 0.09, 0.0}},
                  0.25, sampleRate);
}
