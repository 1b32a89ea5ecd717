#include "app/placement.h"

#include "app/centring.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace {

// The window manager's frame; none for a borderless window, and none while the
// desktop reports nonsense for one (negative widths).
QMargins frameMarginsOf(const QWidget* window) {
    const QWindow* handle = window->windowHandle();
    if (!handle || window->windowFlags().testFlag(Qt::FramelessWindowHint)) return {};
    const QMargins frame = handle->frameMargins();
    if (frame.left() < 0 || frame.top() < 0 || frame.right() < 0 || frame.bottom() < 0) return {};
    return frame;
}

// Puts the window with its frame in the centre; returns where the client area went.
// The client's place is asked for, not the frame's: desktops keep that one exactly.
QPoint placeCentred(QWidget* window, const QMargins& frame) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return window->geometry().topLeft();
    const QRect area = screen->geometry();
    const QSize client = window->geometry().size();
    const FramePosition at =
        centredFrame(area.width(), area.height(), client.width(), client.height(),
                     {frame.left(), frame.top(), frame.right(), frame.bottom()});
    const QPoint place(at.x + frame.left(), at.y + frame.top());
    window->setGeometry(QRect(place, client));
    return place;
}

// A window manager puts its frame around a window only once it is shown, so the first
// centring cannot count it. When the frame appears, the window is centred once more,
// unless it has been moved meanwhile.
class FrameWatch : public QObject {
public:
    FrameWatch(QWidget* window, const QMargins& frame, QPoint place)
        : QObject(window), m_window(window), m_frame(frame), m_place(place) {
        window->windowHandle()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
            case QEvent::Move:
            case QEvent::Resize:
            case QEvent::Expose: {
                const QMargins frame = frameMarginsOf(m_window);
                if (frame == m_frame) break;
                if (m_window->geometry().topLeft() == m_place) placeCentred(m_window, frame);
                deleteLater();
                break;
            }
            case QEvent::Hide:
                deleteLater();
                break;
            default:
                break;
        }
        return false;
    }

private:
    QWidget* m_window;
    QMargins m_frame;
    QPoint m_place;
};

}  // namespace

void centreOnScreen(QWidget* window) {
    const QMargins frame = frameMarginsOf(window);
    const QPoint place = placeCentred(window, frame);
    if (window->windowHandle() && !window->windowFlags().testFlag(Qt::FramelessWindowHint))
        new FrameWatch(window, frame, place);
}

void centreOnOwner(QWidget* window) {
    const QWindow* handle = window->windowHandle();
    const QWindow* owner = handle ? handle->transientParent() : nullptr;
    if (!owner || !owner->isVisible()) {
        centreOnScreen(window);
        return;
    }
    const QRect area = owner->screen()->availableGeometry();
    const QSize size = window->frameGeometry().size();
    QPoint topLeft = owner->frameGeometry().center() - QPoint(size.width() / 2, size.height() / 2);
    topLeft.setX(std::clamp(topLeft.x(), area.left(),
                            std::max(area.left(), area.right() + 1 - size.width())));
    topLeft.setY(std::clamp(topLeft.y(), area.top(),
                            std::max(area.top(), area.bottom() + 1 - size.height())));
    window->move(topLeft);
}
