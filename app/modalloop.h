#pragma once

class QWidget;

// Shows a window application-modal in a nested event loop until it is hidden. A
// dialog window stands over its owner (transient for it) while the owner shows.
void runModal(QWidget* window, QWidget* owner = nullptr);
