#include "app/xrequests.h"

#include <QAbstractEventDispatcher>
#include <QGuiApplication>

#include <xcb/xcb.h>

void sendXRequestsBeforeSleep(QGuiApplication& app) {
    const auto* x11 = app.nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* const connection = x11 ? x11->connection() : nullptr;
    QAbstractEventDispatcher* const dispatcher = QAbstractEventDispatcher::instance();
    if (!connection || !dispatcher) return;
    // Costs nothing when nothing waits: xcb writes only what it holds.
    QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, &app,
                     [connection] { xcb_flush(connection); });
}
