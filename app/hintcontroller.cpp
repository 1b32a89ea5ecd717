#include "app/hintcontroller.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QToolTip>
#include <QWidget>

HintController& HintController::instance() {
    static HintController* controller = new HintController;
    return *controller;
}

HintController::HintController() {
    m_wake.setSingleShot(true);
    m_hide.setSingleShot(true);
    connect(&m_wake, &QTimer::timeout, this, &HintController::showHint);
    // The hint's time is up; a hint already waiting for another control still comes.
    connect(&m_hide, &QTimer::timeout, this, &HintController::hideHint);
    qApp->installEventFilter(this);
}

void HintController::setEnabled(bool enabled) {
    m_enabled = enabled;
    if (enabled) return;
    cancel();
    m_target = nullptr;
}

namespace {

QWidget* hintedWidgetAt(QObject* watched) {
    for (auto* w = qobject_cast<QWidget*>(watched); w; w = w->parentWidget()) {
        if (!w->toolTip().isEmpty()) return w;
        if (w->isWindow()) break;
    }
    return nullptr;
}

}  // namespace

bool HintController::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::ToolTip:
            // Qt's own hints would use its own timing; ours replace them.
            return watched->isWidgetType();
        case QEvent::MouseMove: {
            // The window system's move reaches the window object first, then the widget.
            if (!m_enabled || !watched->isWidgetType() ||
                static_cast<QMouseEvent*>(event)->buttons() != Qt::NoButton)
                break;
            QWidget* target = hintedWidgetAt(watched);
            if (target == m_target) break;
            m_target = target;
            m_wake.stop();
            if (!target) {
                cancel();
                break;
            }
            m_wake.start(delayFor(m_showing));
            break;
        }
        case QEvent::Leave:
            // Out of the window straight from a control: coming back to it is a new entry.
            if (m_target && watched == m_target->window()) {
                cancel();
                m_target = nullptr;
            }
            break;
        case QEvent::MouseButtonPress:
        case QEvent::Wheel:
        case QEvent::KeyPress:
            if (m_showing || m_wake.isActive()) {
                cancel();
                m_target = nullptr;
            }
            break;
        default:
            break;
    }
    return false;
}

void HintController::showHint() {
    if (!m_enabled || !m_target || !m_target->isVisible()) return;
    QToolTip::showText(QCursor::pos(), m_target->toolTip(), m_target, QRect(), kHidePause);
    m_showing = true;
    m_hide.start(kHidePause);
}

void HintController::hideHint() {
    if (m_showing) QToolTip::hideText();
    m_showing = false;
}

void HintController::cancel() {
    m_wake.stop();
    m_hide.stop();
    hideHint();
}
