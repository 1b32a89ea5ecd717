#pragma once

#include <QWidget>

#include <optional>

// Every desktop offers exactly the title bar buttons a window allows. On Wayland
// the program draws the title bar itself: Qt's own there has minimise and maximise
// on every window, and a fixed-size window that is maximised breaks the Wayland
// connection. On X11 the window manager draws it, told by the window's hints that
// the window can only be moved and, where it has a close box, closed.
class TitleBar : public QWidget {
    Q_OBJECT
public:
    enum class Buttons { None, Close };

    // Call once the window's controls exist and before it first shows.
    static void install(QWidget* window, Buttons buttons);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    TitleBar(QWidget* window, Buttons buttons);
    void placeIn(const QSize& windowSize);

    QWidget* const m_window;
    QWidget* m_outline = nullptr;
    QWidget* m_close = nullptr;
    // Where the left button went down on the bar, until a drag starts.
    std::optional<QPoint> m_pressedAt;
};

// The window returns at once from maximised, full screen and (where the program
// can undo it) minimised: it has one size and is never out of reach.
void keepNormalState(QWidget* window);
