#pragma once

class QWidget;

// Centres a window on the primary screen (halves rounded toward zero, never
// beyond the top-left corner). Wayland places windows itself and ignores this.
void centreOnScreen(QWidget* window);
