#pragma once

class Platform;

// The four windows, created in the order main, About, settings, mini timer, and
// destroyed in reverse; each is reached through its global Form1..Form4.
class WindowSet {
public:
    explicit WindowSet(Platform& platform);
    ~WindowSet();
    WindowSet(const WindowSet&) = delete;
    WindowSet& operator=(const WindowSet&) = delete;
};
