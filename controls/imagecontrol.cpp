#include "controls/imagecontrol.h"

#include <QPainter>

TImage::TImage(QWidget* parent) : QWidget(parent) {}

void TImage::setPicture(const QImage& picture) {
    m_picture = picture;
    update();
}

QImage& TImage::canvas() {
    if (m_picture.isNull()) {
        m_picture = QImage(size(), QImage::Format_RGB32);
        m_picture.fill(Qt::white);
    }
    return m_picture;
}

void TImage::paintEvent(QPaintEvent*) {
    if (m_picture.isNull()) return;
    QPainter painter(this);
    painter.drawImage(0, 0, m_picture);
}
