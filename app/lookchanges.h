#pragma once

#include <functional>

class QWidget;

// Calls `follow` once after the look of `window` changed (its palette, its style or
// the application's palette), when every control has taken the new look: a style
// sheet reaches them one by one.
void followLookChanges(QWidget* window, std::function<void()> follow);
