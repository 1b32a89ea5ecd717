#include "app/modalloop.h"

#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace {

// Ends a nested loop when its window is hidden: an accepted close hides it, while
// a refused one leaves the loop running.
class HideWatcher : public QObject {
public:
    HideWatcher(QWidget* window, QEventLoop* loop) : QObject(window), m_loop(loop) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Hide)
            QMetaObject::invokeMethod(m_loop, &QEventLoop::quit, Qt::QueuedConnection);
        return false;
    }

private:
    QEventLoop* m_loop;
};

}  // namespace

void runModal(QWidget* window, QWidget* owner) {
    QPointer<QWidget> guard(window);
    if (window->windowType() == Qt::Dialog) {
        // The windows made at start-up keep their own flags and stay top-level.
        window->winId();
        window->windowHandle()->setTransientParent(
            owner && owner->isVisible() ? owner->windowHandle() : nullptr);
    }
    window->setWindowModality(Qt::ApplicationModal);
    window->show();
    window->raise();
    window->activateWindow();
    QEventLoop loop;
    auto* watcher = new HideWatcher(window, &loop);
    if (window->isVisible()) loop.exec();
    if (guard) {
        delete watcher;
        window->hide();
        window->setWindowModality(Qt::NonModal);
    }
}
