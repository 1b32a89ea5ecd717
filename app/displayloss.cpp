#include "app/displayloss.h"

#include <QCoreApplication>
#include <QSemaphore>
#include <QString>
#include <QThread>

#include <atomic>
#include <memory>
#include <utility>

namespace {

QtMessageHandler previousHandler = nullptr;
std::function<void()> ending;
std::atomic_flag ran = ATOMIC_FLAG_INIT;

// Qt's own words for a display that is gone, on X11 and on Wayland.
bool reportsLostDisplay(const QString& text) {
    return text.startsWith(QLatin1String("The X11 connection broke")) ||
           text.startsWith(QLatin1String("The Wayland connection broke")) ||
           text.startsWith(QLatin1String("The Wayland connection experienced a fatal error"));
}

void endOnce() {
    if (!ran.test_and_set()) ending();
}

void runEnding() {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread()) {
        endOnce();
        return;
    }
    // Reported from a thread of the platform's own: the windows belong to the GUI
    // thread, which gets a moment to end before the platform ends the process (or
    // reports the loss itself and ends there).
    auto done = std::make_shared<QSemaphore>();
    QMetaObject::invokeMethod(
        app,
        [done] {
            endOnce();
            done->release();
        },
        Qt::QueuedConnection);
    (void)done->tryAcquire(1, 3000);
}

void watch(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type != QtDebugMsg && type != QtInfoMsg && ending && reportsLostDisplay(text)) runEnding();
    if (previousHandler) previousHandler(type, context, text);
}

}  // namespace

DisplayLossWatch::DisplayLossWatch(std::function<void()> onLoss) {
    ending = std::move(onLoss);
    previousHandler = qInstallMessageHandler(watch);
}

DisplayLossWatch::~DisplayLossWatch() {
    qInstallMessageHandler(previousHandler);
    ending = nullptr;
}
