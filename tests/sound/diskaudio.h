#pragma once

// What the program sends to the sound device, as SDL's disk driver writes it to a
// file in real time (16-bit stereo at 44100 Hz): the file's end is what is heard now.

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

class DiskAudio {
public:
    struct Heard {
        int peak = 0;      // the loudest sample
        double pitch = 0;  // Hz, from the zero crossings
    };

    // From the next opening of the device on; each opening starts the file anew.
    DiskAudio() {
        use();
        ::setenv("SDL_DISKAUDIOFILE", m_path.c_str(), 1);
    }
    ~DiskAudio() { std::filesystem::remove(m_path); }

    static void use() { ::setenv("SDL_AUDIODRIVER", "disk", 1); }

    // Bytes written since the device was last opened.
    std::uintmax_t written() const {
        std::error_code error;
        const auto size = std::filesystem::file_size(m_path, error);
        return error ? 0 : size;
    }

    // What was heard over the last `ms` milliseconds (left channel).
    Heard last(int ms) const {
        std::ifstream file(m_path, std::ios::binary | std::ios::ate);
        const std::streamoff bytes = file ? std::streamoff(file.tellg()) : 0;
        const std::streamoff wanted = std::min<std::streamoff>(bytes / 4, 44100 * ms / 1000) * 4;
        std::vector<std::int16_t> frames(std::size_t(wanted / 2));
        if (wanted > 0) {
            file.seekg(bytes / 4 * 4 - wanted);
            file.read(reinterpret_cast<char*>(frames.data()), wanted);
        }
        Heard heard;
        int crossings = 0, sign = 0;
        for (std::size_t i = 0; i < frames.size(); i += 2) {
            const int s = frames[i];
            heard.peak = std::max(heard.peak, std::abs(s));
            // A little hysteresis, so that noise about zero is not taken for a tone.
            const int now = s > 200 ? 1 : s < -200 ? -1 : sign;
            crossings += sign != 0 && now != sign;
            sign = now;
        }
        if (!frames.empty()) heard.pitch = crossings / 2.0 / (double(frames.size()) / 2 / 44100);
        return heard;
    }

private:
    const std::string m_path = (std::filesystem::temp_directory_path() /
                                ("pipiron-heard-" + std::to_string(::getpid()) + ".raw"))
                                   .string();
};
