#include "app/menukeys.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenuBar>

void toggleMenuBarKeyboard(QMenuBar* menuBar) {
    // The menu bar has no call of its own for this; it watches its window for Alt.
    // A key event of a modifier key reports that modifier flipped, as the desktop
    // sends it: held while it goes down, no longer held as it comes up.
    QWidget* window = menuBar->window();
    QKeyEvent altDown(QEvent::ShortcutOverride, Qt::Key_Alt, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &altDown);
    QKeyEvent altUp(QEvent::KeyRelease, Qt::Key_Alt, Qt::AltModifier);
    QCoreApplication::sendEvent(window, &altUp);
}
