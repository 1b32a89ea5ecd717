#pragma once

#include "app/platform.h"

#include <exception>
#include <utility>

// Runs a handler; an error that leaves it is shown in the standard error box and
// the program goes on. Returns false when the handler was abandoned.
template <typename Handler>
bool guarded(Platform& platform, Handler&& handler) noexcept {
    try {
        std::forward<Handler>(handler)();
        return true;
    } catch (const std::exception& e) {
        try {
            platform.showError(QString::fromUtf8(e.what()));
        } catch (...) {
        }
    } catch (...) {
        try {
            platform.showError(QStringLiteral("原因不明のｴﾗｰ"));
        } catch (...) {
        }
    }
    return false;
}

// A slot that runs a window's handler in the guard. Signal arguments beyond the
// handler's own are dropped, as Qt drops them for any slot.
template <typename Window, typename... Args>
auto guardedSlot(Platform& platform, Window* window, void (Window::*handler)(Args...)) {
    return [&platform, window, handler](Args... args) {
        guarded(platform, [&] { (window->*handler)(args...); });
    };
}
