#pragma once

class QGuiApplication;

// Under the GLib event loop, Qt's X11 plugin sends what was asked of the X server
// only when X events or posted events come in: a raise or an urgency mark from a
// tick that changes nothing on screen would wait for the next repaint, maybe a
// minute. From here on, every request leaves before the GUI thread sleeps.
// Nothing to do off X11.
void sendXRequestsBeforeSleep(QGuiApplication& app);
