// bench_tickcost [N]: drives N idle ticks (the same minute) and N redrawing
// ticks (a new minute each) through the real windows, built as start-up builds
// them. Under callgrind (bench/tickcost.sh) only the ticks are counted, in two
// dumps "idle" and "redraw"; each tick includes the event processing it causes
// (the repaint), since that is part of what a tick costs. Without valgrind it
// prints the median wall time of each kind.
#include "app/windowset.h"
#include "bench/benchplatform.h"
#include "clock/mainwindow.h"

#include <QApplication>
#include <QDir>
#include <QTimer>

#include <valgrind/callgrind.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

void settle() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

double tickMicros(BenchPlatform& platform, int step) {
    platform.advance(step);
    const auto start = Clock::now();
    Form1->Timer1Timer();
    settle();
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + long(values.size() / 2), values.end());
    return values[values.size() / 2];
}

// N ticks, each `step` seconds after the last, counted as one callgrind dump.
double run(BenchPlatform& platform, int ticks, int step, const char* name) {
    std::vector<double> micros;
    micros.reserve(std::size_t(ticks));
    CALLGRIND_ZERO_STATS;
    CALLGRIND_START_INSTRUMENTATION;
    for (int i = 0; i < ticks; ++i) micros.push_back(tickMicros(platform, step));
    CALLGRIND_STOP_INSTRUMENTATION;
    CALLGRIND_DUMP_STATS_AT(name);
    return median(micros);
}

}  // namespace

int main(int argc, char* argv[]) {
    const int ticks = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    BenchPlatform platform;
    // The program's own folder: the sound and settings are found as at start-up.
    platform.exe = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("pipiron"));
    platform.now = {12, 0, 0, 0};
    WindowSet windows(platform);
    Form1->Timer1->stop();
    Form1->LoadSettings();
    Form1->show();
    settle();

    // Warm up both kinds so that first-use caches are not counted.
    for (int i = 0; i < 3; ++i) {
        tickMicros(platform, 60);
        tickMicros(platform, 1);
    }
    // Idle ticks stay within one minute: start at its first second.
    platform.now = {13, 0, 0, 0};
    tickMicros(platform, 0);
    const int idleTicks = std::min(ticks, 58);
    const double idle = run(platform, idleTicks, 1, "idle");
    const double redraw = run(platform, ticks, 60, "redraw");
    std::printf("idle ticks: %d, median %.1f us\nredrawing ticks: %d, median %.1f us\n", idleTicks,
                idle, ticks, redraw);
    return 0;
}
