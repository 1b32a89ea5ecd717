#include "controls/imagecontrol.h"

#include <QPainter>

TImage::TImage(QWidget* parent) : QWidget(parent) {}

void TImage::setPicture(const QImage& picture) {
    m_picture = picture;
    coverWhenOpaque();
    update();
}

QImage& TImage::canvas() {
    if (m_picture.isNull()) {
        m_picture = QImage(size(), QImage::Format_RGB32);
        m_picture.fill(Qt::white);
        coverWhenOpaque();
    }
    return m_picture;
}

void TImage::resizeEvent(QResizeEvent*) {
    coverWhenOpaque();
}

void TImage::coverWhenOpaque() {
    // Then the window beneath is not painted first: a face's repaint at each minute
    // costs half as much.
    setAttribute(Qt::WA_OpaquePaintEvent, !m_picture.isNull() && !m_picture.hasAlphaChannel() &&
                                              m_picture.width() >= width() &&
                                              m_picture.height() >= height());
}

void TImage::paintEvent(QPaintEvent*) {
    if (m_picture.isNull()) return;
    QPainter painter(this);
    painter.drawImage(0, 0, m_picture);
}
