#pragma once

class QWidget;

// Centres a window with its frame on the primary screen (halves rounded toward zero,
// never beyond the top-left corner); a window manager's frame, known only once the
// window is shown, counts too. Wayland places windows itself and ignores this.
void centreOnScreen(QWidget* window);
