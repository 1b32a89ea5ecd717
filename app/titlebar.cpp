#include "app/titlebar.h"

#include <qdrawutil.h>
#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>

namespace {

constexpr int kBorder = 1;

bool onWayland() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

// A thin line around the whole window, where the desktop's frame would be.
class Outline : public QWidget {
public:
    explicit Outline(QWidget* window) : QWidget(window) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::Shadow));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
};

// A small raised button with a cross, as a title bar's close box.
class CloseBox : public QAbstractButton {
public:
    explicit CloseBox(QWidget* parent) : QAbstractButton(parent) {
        setFocusPolicy(Qt::NoFocus);
        setAccessibleName(QStringLiteral("閉じる"));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        qDrawWinButton(&painter, rect(), palette(), isDown());
        const int inset = width() / 4 + (isDown() ? 1 : 0);
        const QRect cross = rect().adjusted(inset, inset, -inset - 1, -inset - 1);
        painter.setPen(QPen(palette().color(QPalette::ButtonText), 2));
        painter.drawLine(cross.topLeft(), cross.bottomRight());
        painter.drawLine(cross.bottomLeft(), cross.topRight());
    }
};

// States a window of fixed size never takes; whoever asks for one (a desktop's
// key or menu), the window returns to normal at once.
class NormalStateKeeper : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* window = static_cast<QWidget*>(watched);
        if (event->type() != QEvent::WindowStateChange) return false;
        // A Wayland program cannot bring itself back from minimised: that one is
        // left to the desktop.
        const Qt::WindowStates refused = Qt::WindowMaximized | Qt::WindowFullScreen |
                                         (onWayland() ? Qt::WindowNoState : Qt::WindowMinimized);
        if (window->windowState() & refused)
            window->setWindowState(window->windowState() & ~refused);
        return false;
    }
};

// On X11 the window manager draws the title bar from the window's Motif hints: a
// window that can only be moved and perhaps closed, with a title and a border. Qt
// writes its own hints when it makes the window; these are written over them just
// before the window first shows.
class MotifHints : public QObject {
public:
    MotifHints(QWidget* window, bool closable) : QObject(window), m_closable(closable) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Show) return false;
        const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        auto* window = static_cast<QWidget*>(watched);
        // The offscreen platform answers for X11 too, without a connection.
        xcb_connection_t* const connection = x11 ? x11->connection() : nullptr;
        if (!connection || !window->windowHandle()) return false;
        enum : std::uint32_t { Functions = 1, Decorations = 2 };
        enum : std::uint32_t { Move = 4, Close = 32 };
        enum : std::uint32_t { Border = 2, Title = 8, Menu = 16 };
        const std::uint32_t hints[5] = {Functions | Decorations, Move | (m_closable ? Close : 0u),
                                        Border | Title | (m_closable ? Menu : 0u), 0, 0};
        xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, 15, "_MOTIF_WM_HINTS"), nullptr);
        if (!atom) return false;
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, xcb_window_t(window->winId()),
                            atom->atom, atom->atom, 32, 5, hints);
        std::free(atom);
        return false;
    }

private:
    bool m_closable;
};

}  // namespace

void keepNormalState(QWidget* window) {
    window->installEventFilter(new NormalStateKeeper(window));
}

void TitleBar::install(QWidget* window, Buttons buttons) {
    keepNormalState(window);
    if (!onWayland()) {
        new MotifHints(window, buttons == Buttons::Close);
        return;
    }
    // Qt keeps no frameless hint beside hints for a title bar.
    const Qt::WindowFlags kept =
        window->windowFlags() & (Qt::WindowType_Mask | Qt::WindowStaysOnTopHint);
    window->setWindowFlags(kept | Qt::FramelessWindowHint);
    auto* bar = new TitleBar(window, buttons);
    const int top = kBorder + bar->height();
    if (QLayout* layout = window->layout()) {
        const QMargins margins = window->contentsMargins();
        window->setContentsMargins(margins + QMargins(kBorder, top, kBorder, kBorder));
        layout->invalidate();
    } else {
        // Controls placed by hand move down under the bar, and the window grows.
        for (QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (child != bar && child != bar->m_outline && !child->isWindow())
                child->move(child->pos() + QPoint(kBorder, top));
        const QSize grown = window->size() + QSize(2 * kBorder, top + kBorder);
        if (window->minimumSize() == window->maximumSize())
            window->setFixedSize(grown);
        else
            window->resize(grown);
    }
    bar->placeIn(window->size());
}

TitleBar::TitleBar(QWidget* window, Buttons buttons) : QWidget(window), m_window(window) {
    setFocusPolicy(Qt::NoFocus);
    QFont font = QApplication::font();
    font.setBold(true);
    setFont(font);
    setFixedHeight(std::max(18, QFontMetrics(font).height() + 4));
    if (buttons == Buttons::Close) {
        auto* close = new CloseBox(this);
        close->setFixedSize(height() - 4, height() - 4);
        connect(close, &QAbstractButton::clicked, m_window, &QWidget::close);
        m_close = close;
    }
    m_outline = new Outline(window);
    window->installEventFilter(this);
}

void TitleBar::placeIn(const QSize& windowSize) {
    setGeometry(kBorder, kBorder, windowSize.width() - 2 * kBorder, height());
    if (m_close) m_close->move(width() - m_close->width() - 2, 2);
    m_outline->setGeometry(QRect(QPoint(0, 0), windowSize));
    m_outline->raise();
}

bool TitleBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_window) return false;
    switch (event->type()) {
        case QEvent::Resize:
            placeIn(m_window->size());
            break;
        case QEvent::ActivationChange:
        case QEvent::WindowTitleChange:
        case QEvent::WindowIconChange:
            update();
            break;
        default:
            break;
    }
    return false;
}

void TitleBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const bool active = m_window->isActiveWindow();
    painter.fillRect(rect(), palette().color(active ? QPalette::Highlight : QPalette::Mid));
    const int iconSize = 16;
    const QRect icon(2, (height() - iconSize) / 2, iconSize, iconSize);
    m_window->windowIcon().paint(&painter, icon);
    QRect text = rect().adjusted(icon.right() + 4, 0, -2, 0);
    if (m_close) text.setRight(m_close->x() - 4);
    painter.setPen(palette().color(active ? QPalette::HighlightedText : QPalette::Window));
    painter.drawText(
        text, Qt::AlignLeft | Qt::AlignVCenter,
        fontMetrics().elidedText(m_window->windowTitle(), Qt::ElideRight, text.width()));
}

void TitleBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) m_pressedAt = event->globalPosition().toPoint();
}

void TitleBar::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton) || !m_pressedAt) return;
    // Only a drag moves the window, and only the desktop can move it.
    const QPoint at = event->globalPosition().toPoint();
    if ((at - *m_pressedAt).manhattanLength() < QApplication::startDragDistance()) return;
    m_pressedAt.reset();
    if (QWindow* handle = m_window->windowHandle()) handle->startSystemMove();
}

void TitleBar::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) m_pressedAt.reset();
}

void TitleBar::mouseDoubleClickEvent(QMouseEvent* event) {
    // A fixed window has nothing to maximise or roll up.
    event->accept();
}
