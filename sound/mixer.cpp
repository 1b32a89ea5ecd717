#include "sound/mixer.h"

#include "sound/beeptone.h"
#include "sound/wavstream.h"

#include <algorithm>
#include <cmath>

namespace {

// The callback's buffer is mixed in slices of this many frames.
constexpr int kSliceFrames = 256;
constexpr std::size_t kDecodeFrames = 1024;

std::vector<float> toneOf(unsigned type) {
    const auto samples = beepTone(type, Mixer::kRate);
    std::vector<float> tone(samples.size());
    std::transform(samples.begin(), samples.end(), tone.begin(),
                   [](std::int16_t s) { return float(s) / 32767.0f; });
    return tone;
}

}  // namespace

std::shared_ptr<const Mixer::Tones> Mixer::makeTones() {
    return std::make_shared<const Tones>(Tones{toneOf(0), toneOf(48)});
}

Mixer::Mixer(MakeConverter makeConverter) : m_makeConverter(std::move(makeConverter)) {}

Mixer::~Mixer() = default;

void Mixer::open(std::shared_ptr<const Tones> tones) {
    m_tones = std::move(tones);
    m_mixed.resize(2 * kSliceFrames);
    m_taken.resize(2 * kSliceFrames);
    m_decoded.resize(kDecodeFrames * WavLayout::kMaxChannels);
    restart();
}

void Mixer::close() {
    m_beeps = {};
    m_tones.reset();
    m_converter.reset();
    m_mixed = m_taken = m_decoded = {};
    if (m_voice == Voice::Playing) m_voice = Voice::Ended;
    report();
}

void Mixer::setSound(std::shared_ptr<WavStream> sound) {
    m_sound = std::move(sound);
    restart();
}

void Mixer::reportTo(Progress* progress) {
    m_progress = progress;
    report();
}

bool Mixer::direct() const {
    const unsigned channels = m_sound ? m_sound->layout().channels : 0;
    return m_sound && m_sound->layout().sampleRate == unsigned(kRate) &&
           (channels == 1 || channels == 2);
}

// Takes the sound up again where it is heard, with a converter of its own.
void Mixer::restart() {
    m_converter.reset();
    m_flushed = false;
    m_nextFrame = 0;
    if (!m_sound || m_mixed.empty()) return;
    const WavLayout& layout = m_sound->layout();
    if (!direct() && m_makeConverter)
        m_converter = m_makeConverter(layout.channels, layout.sampleRate);
    m_nextFrame = std::size_t(m_heardFrames * layout.sampleRate / kRate);
}

void Mixer::playFrom(std::uint64_t heardFrames) {
    m_heardFrames = heardFrames;
    restart();
    m_voice = Voice::Playing;
    report();
}

void Mixer::resume() {
    if (m_voice == Voice::Paused) m_voice = Voice::Playing;
    report();
}

void Mixer::pause() {
    if (m_voice == Voice::Playing) m_voice = Voice::Paused;
    report();
}

void Mixer::rewind() {
    m_voice = Voice::Ready;
    m_heardFrames = 0;
    restart();
    report();
}

void Mixer::beep(unsigned type) {
    if (!m_tones) return;
    const std::vector<float>* tone = type == 48 ? &m_tones->exclamation : &m_tones->ok;
    auto slot = std::find_if(m_beeps.begin(), m_beeps.end(), [](const Beep& b) { return !b.tone; });
    if (slot == m_beeps.end())
        slot = std::max_element(m_beeps.begin(), m_beeps.end(),
                                [](const Beep& a, const Beep& b) { return a.at < b.at; });
    *slot = {tone, 0};
}

bool Mixer::beeping() const {
    return std::any_of(m_beeps.begin(), m_beeps.end(), [](const Beep& b) { return b.tone; });
}

double Mixer::secondsLeft() const {
    if (!m_sound) return 0.0;
    const std::size_t frames = m_sound->frames();
    return double(frames - std::min(frames, m_nextFrame)) / m_sound->layout().sampleRate;
}

void Mixer::report() {
    if (!m_progress) return;
    m_progress->heardFrames = m_heardFrames;
    m_progress->playing = m_voice == Voice::Playing;
}

void Mixer::fill(std::int16_t* out, int frames) {
    while (frames > 0 && !m_mixed.empty()) {
        const int n = std::min(frames, kSliceFrames);
        std::fill_n(m_mixed.begin(), 2 * n, 0.0f);
        mixSound(n);
        mixBeeps(n);
        for (int i = 0; i < 2 * n; ++i) {
            const float gain = float(m_fadingOut ? m_fadeOut : m_fadeIn) / kFadeFrames;
            if (i % 2 == 1 && m_fadingOut && m_fadeOut > 0)
                --m_fadeOut;
            else if (i % 2 == 1 && !m_fadingOut && m_fadeIn < kFadeFrames)
                ++m_fadeIn;
            out[i] =
                std::int16_t(std::lrint(std::clamp(m_mixed[i] * gain, -1.0f, 1.0f) * 32767.0f));
        }
        out += 2 * n;
        frames -= n;
    }
    std::fill_n(out, 2 * frames, std::int16_t(0));
}

void Mixer::mixSound(int frames) {
    if (m_voice != Voice::Playing || !canPlay()) return;
    const int got = m_converter ? takeConverted(frames) : takeDirect(frames);
    for (int i = 0; i < 2 * got; ++i) m_mixed[i] += m_taken[i];
    m_heardFrames += std::uint64_t(got);
    if (got < frames && m_flushed) m_voice = Voice::Ended;
    report();
}

// A sound at the device's rate, mono or stereo, needs no converter.
int Mixer::takeDirect(int frames) {
    const std::size_t end = m_sound->frames();
    if (end == 0) return 0;  // a sound that lost all its samples: the engine beeps instead
    const std::size_t want = std::min(std::size_t(frames), end - std::min(end, m_nextFrame));
    const std::size_t got = want ? m_sound->decode(m_nextFrame, want, m_decoded.data()) : 0;
    const unsigned channels = m_sound->layout().channels;
    for (std::size_t i = 0; i < got; ++i) {
        m_taken[2 * i] = m_decoded[channels * i];
        m_taken[2 * i + 1] = m_decoded[channels * i + channels - 1];
    }
    m_nextFrame += got;
    m_flushed = m_nextFrame >= end;
    return int(got);
}

int Mixer::takeConverted(int frames) {
    while (!m_flushed && m_sound->frames() > 0 && m_converter->available() < frames) {
        const std::size_t end = m_sound->frames();
        const std::size_t n = std::min(kDecodeFrames, end - std::min(end, m_nextFrame));
        if (n == 0) {
            m_converter->flush();
            m_flushed = true;
            break;
        }
        // Frames the reader has not brought yet: silence meanwhile, and the sound waits.
        const std::size_t got = m_sound->decode(m_nextFrame, n, m_decoded.data());
        if (got == 0) break;
        m_converter->put(m_decoded.data(), int(got));
        m_nextFrame += got;
    }
    return std::max(0, m_converter->get(m_taken.data(), frames));
}

void Mixer::mixBeeps(int frames) {
    for (Beep& beep : m_beeps) {
        if (!beep.tone) continue;
        const std::size_t n = std::min(std::size_t(frames), beep.tone->size() - beep.at);
        const float* tone = beep.tone->data() + beep.at;
        for (std::size_t i = 0; i < n; ++i) {
            m_mixed[2 * i] += tone[i];
            m_mixed[2 * i + 1] += tone[i];
        }
        beep.at += n;
        if (beep.at == beep.tone->size()) beep = {};
    }
}
