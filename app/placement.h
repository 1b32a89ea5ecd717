#pragma once

class QWidget;

// Centres a window with its frame on the primary screen (halves rounded toward zero,
// never beyond the top-left corner); a window manager's frame, known only once the
// window is shown, counts too. Wayland places windows itself and ignores this.
void centreOnScreen(QWidget* window);

// Centres a window on the window it stands over while that one shows (where the
// desktop lets programs place windows), otherwise on the screen.
void centreOnOwner(QWidget* window);
