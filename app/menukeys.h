#pragma once

class QMenuBar;

// Puts the keyboard in the menu bar, or takes it out again, as Alt pressed and
// released does: F10 does this on Linux desktops.
void toggleMenuBarKeyboard(QMenuBar* menuBar);
