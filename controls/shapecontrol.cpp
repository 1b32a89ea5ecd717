#include "controls/shapecontrol.h"

#include <QMouseEvent>
#include <QPainter>

TShape::TShape(Kind kind, QWidget* parent) : QWidget(parent), m_kind(kind) {}

void TShape::setBrushColor(const QColor& color) {
    m_brush = color;
    update();
}

void TShape::setPen(const QColor& color, int width) {
    m_pen = color;
    m_penWidth = width;
    update();
}

QRect TShape::figureRect() const {
    int x = m_penWidth / 2;
    int y = x;
    int w = width() - m_penWidth + 1;
    int h = height() - m_penWidth + 1;
    if (m_penWidth == 0) {
        --w;
        --h;
    }
    if (m_kind == Kind::Circle) {
        const int side = std::min(w, h);
        x += (w - side) / 2;
        y += (h - side) / 2;
        w = h = side;
    }
    return QRect(x, y, w, h);
}

void TShape::paintEvent(QPaintEvent*) {
    // Crisp like the platform's own shapes: every outline pixel is the pen's colour.
    QPainter painter(this);
    painter.setBrush(m_brush);
    if (m_penWidth > 0) {
        QPen pen(m_pen, m_penWidth);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
    } else {
        painter.setPen(Qt::NoPen);
    }
    // The figure's box runs to its exclusive right and bottom edges.
    const QRectF box = QRectF(figureRect()).adjusted(0, 0, -1, -1);
    if (m_kind == Kind::Circle)
        painter.drawEllipse(box);
    else
        painter.drawRect(box);
}

// Qt grabs the mouse for the pressed widget until the release, so moves far
// outside the control still arrive here, in its own (possibly negative) coordinates.
void TShape::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    Q_EMIT mousePressed(event->button(), p.x(), p.y());
}

void TShape::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    Q_EMIT mouseMoved(p.x(), p.y());
}

void TShape::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    Q_EMIT mouseReleased(event->button(), p.x(), p.y());
}
