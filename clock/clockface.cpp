#include "clock/clockface.h"

#include "app/errors.h"
#include "app/programimage.h"
#include "clock/hands.h"

#include <QString>

#include <algorithm>
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

// A hand covers the pixels whose centres lie within half its width of the line from the
// pivot to its end: a round-capped pen without antialiasing. A centre at exactly that
// distance counts, except above a level hand and left of an upright one, so that an odd
// width puts its spare pixel below and to the right, as Qt's pens do. Drawn here rather
// than with a painter: an idle clock redraws a face each minute, and a painter's stroker
// was a third of that work.
void drawHand(QImage& bk, HandPoint end, int width) {
    // Doubled coordinates make every pixel centre whole, so the test is exact.
    const long long dx = 2LL * (end.x - kHandPivot);
    const long long dy = 2LL * (end.y - kHandPivot);
    const long long length2 = dx * dx + dy * dy;
    const long long reach2 = static_cast<long long>(width) * width;
    const int left = std::max(0, std::min(kHandPivot, end.x) - width);
    const int right = std::min(bk.width() - 1, std::max(kHandPivot, end.x) + width);
    const int top = std::max(0, std::min(kHandPivot, end.y) - width);
    const int bottom = std::min(bk.height() - 1, std::max(kHandPivot, end.y) + width);
    for (int y = top; y <= bottom; ++y) {
        auto* line = reinterpret_cast<QRgb*>(bk.scanLine(y));
        const long long cy = 2LL * (y - kHandPivot) + 1;
        for (int x = left; x <= right; ++x) {
            const long long cx = 2LL * (x - kHandPivot) + 1;
            const long long along = cx * dx + cy * dy;
            long long distance2 = 0, limit = reach2;
            if (along <= 0 || length2 == 0) {
                distance2 = cx * cx + cy * cy;
            } else if (along >= length2) {
                distance2 = (cx - dx) * (cx - dx) + (cy - dy) * (cy - dy);
            } else {
                const long long across = cx * dy - cy * dx;
                distance2 = across * across;
                limit = reach2 * length2;
            }
            const bool edgeAboveOrLeft = (dy == 0 && cy < 0) || (dx == 0 && cx < 0);
            if (distance2 < limit || (distance2 == limit && !edgeAboveOrLeft))
                line[x] = qRgb(0, 0, 0);
        }
    }
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
    if (bk.format() != QImage::Format_RGB32) bk = bk.convertToFormat(QImage::Format_RGB32);
    drawHand(bk, hourHandEnd(hour, minute), kHourHandWidth);
    drawHand(bk, minuteHandEnd(minute), kMinuteHandWidth);
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
