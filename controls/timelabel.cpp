#include "controls/timelabel.h"

#include <QFontMetricsF>
#include <QPainter>

TimeLabel::TimeLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void TimeLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    // Where QLabel's own layout puts the line, to the fraction of a pixel.
    const QFontMetricsF metrics(font());
    const QRectF area = contentsRect();
    painter.drawText(
        QPointF(area.x(), area.y() + (area.height() - metrics.height()) / 2 + metrics.ascent()),
        text());
}
