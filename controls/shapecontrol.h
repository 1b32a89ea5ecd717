#pragma once

#include <QColor>
#include <QWidget>

// A filled rectangle or circle with an outline; a circle takes the smaller side
// of its box, less the pen, and is centred in it.
class TShape : public QWidget {
    Q_OBJECT
public:
    enum class Kind { Rectangle, Circle };

    TShape(Kind kind, QWidget* parent);

    void setBrushColor(const QColor& color);
    void setPen(const QColor& color, int width);
    // The figure's rectangle in the control's coordinates.
    QRect figureRect() const;

Q_SIGNALS:
    void mousePressed(Qt::MouseButton button, int x, int y);
    void mouseMoved(int x, int y);
    void mouseReleased(Qt::MouseButton button, int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    Kind m_kind;
    QColor m_brush = Qt::white;
    QColor m_pen = Qt::black;
    int m_penWidth = 1;
};
