// Times one whole DrawClock without the blank-face cache: the empty dial, both hands and
// the face taking the picture.
#include "clock/clockface.h"

#include <QColor>
#include <QImage>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

int main() {
    constexpr int kRuns = 1000;
    const ClockPictures pictures = loadClockPictures();
    const QColor windowColour(0xc0, 0xc0, 0xc0);
    QImage bk = newFaceImage();
    QImage face = newFaceImage();

    std::vector<double> micros;
    micros.reserve(kRuns);
    for (int run = 0; run < kRuns; ++run) {
        const int minutes = (run * 7) % (24 * 60);
        const auto start = std::chrono::steady_clock::now();
        drawFace(bk, pictures, windowColour);
        drawHands(bk, minutes / 60, minutes % 60);
        face = bk;
        const auto end = std::chrono::steady_clock::now();
        micros.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    std::nth_element(micros.begin(), micros.begin() + kRuns / 2, micros.end());
    std::printf("DrawClock: median %.1f us over %d runs\n", micros[kRuns / 2], kRuns);
    return 0;
}
