#pragma once

#include <functional>

// When the connection to the display breaks (the X server or the Wayland
// compositor went away), Qt ends the process at once and never returns to the
// program; all it does first is report the loss. This watches for that report and
// runs the given ending (saving the settings) before the process goes. One at a time.
class DisplayLossWatch {
public:
    explicit DisplayLossWatch(std::function<void()> ending);
    ~DisplayLossWatch();

    DisplayLossWatch(const DisplayLossWatch&) = delete;
    DisplayLossWatch& operator=(const DisplayLossWatch&) = delete;
};
