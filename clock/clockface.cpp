#include "clock/clockface.h"

#include "app/errors.h"
#include "app/programimage.h"
#include "clock/hands.h"

#include <QPainter>
#include <QPen>
#include <QString>

#include <cstring>

namespace {

const QRect kClockRect(0, 0, kFaceSize, kFaceSize);

QImage loadPicture(QStringView name) {
    QImage picture = programImage(name);
    if (picture.isNull()) throw AppError(name.toString().toStdString() + " cannot be read");
    return picture;
}

// The drawing reads RGB32 pixels of the clock's size; the stored pictures are converted
// for the moment of the drawing.
QImage asFacePicture(const QImage& picture) {
    if (picture.format() == QImage::Format_RGB32 && picture.size() == kClockRect.size()) {
        return picture;
    }
    return picture.convertToFormat(QImage::Format_RGB32).copy(kClockRect);
}

void drawHand(QPainter& painter, HandPoint end, int width) {
    painter.setPen(QPen(Qt::black, width, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPoint(kHandPivot, kHandPivot), QPoint(end.x, end.y));
}

}  // namespace

ClockPictures loadClockPictures() {
    return {loadPicture(u"dial"), loadPicture(u"mask")};
}

QImage newFaceImage() {
    QImage image(kFaceSize, kFaceSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

void drawFace(QImage& bk, const ClockPictures& pictures, QColor windowColour) {
    // The whole picture is repainted, so an image of another shape is simply replaced.
    if (bk.format() != QImage::Format_RGB32 || bk.size() != kClockRect.size()) bk = newFaceImage();
    const QImage mask = asFacePicture(pictures.mask);
    const QImage tokei = asFacePicture(pictures.tokei);
    // Fill, SRCPAINT the mask, SRCAND the dial, fused into one pass over the pixels:
    // QPainter's raster operations on images take a generic per-pixel path that
    // costs about four times as much, and DrawClock runs on every drag step.
    const QRgb fill = windowColour.rgb();
    for (int y = 0; y < kFaceSize; ++y) {
        auto* out = reinterpret_cast<QRgb*>(bk.scanLine(y));
        const auto* disc = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
        const auto* dial = reinterpret_cast<const QRgb*>(tokei.constScanLine(y));
        for (int x = 0; x < kFaceSize; ++x) out[x] = (fill | disc[x]) & dial[x];
    }
}

void drawHands(QImage& bk, int hour, int minute) {
    QPainter painter(&bk);
    painter.setRenderHint(QPainter::Antialiasing, false);
    drawHand(painter, hourHandEnd(hour, minute), kHourHandWidth);
    drawHand(painter, minuteHandEnd(minute), kMinuteHandWidth);
}

const QImage& BlankFace::get(const ClockPictures& pictures, QColor windowColour) {
    if (m_face.isNull() || pictures.tokei.cacheKey() != m_tokeiKey ||
        pictures.mask.cacheKey() != m_maskKey || windowColour.rgb() != m_colour) {
        drawFace(m_face, pictures, windowColour);
        m_tokeiKey = pictures.tokei.cacheKey();
        m_maskKey = pictures.mask.cacheKey();
        m_colour = windowColour.rgb();
    }
    return m_face;
}

bool sameFace(const QImage& first, const QImage& second) {
    if (first.format() != QImage::Format_RGB32 || first.format() != second.format() ||
        first.size() != second.size() || first.bytesPerLine() != second.bytesPerLine())
        return first == second;
    return std::memcmp(first.constBits(), second.constBits(), std::size_t(first.sizeInBytes())) ==
           0;
}
