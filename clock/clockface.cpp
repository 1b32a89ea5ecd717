#include "clock/clockface.h"

#include "app/errors.h"
#include "clock/hands.h"

#include <QPainter>
#include <QPen>
#include <QString>

namespace {

const QRect kClockRect(0, 0, kFaceSize, kFaceSize);

QImage loadPicture(const QString& path) {
    QImage picture(path);
    if (picture.isNull()) throw AppError(path.toStdString() + " cannot be read");
    return picture.convertToFormat(QImage::Format_RGB32);
}

void drawHand(QPainter& painter, HandPoint end, int width) {
    painter.setPen(QPen(Qt::black, width, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPoint(kHandPivot, kHandPivot), QPoint(end.x, end.y));
}

}  // namespace

ClockPictures loadClockPictures() {
    return {loadPicture(QStringLiteral(":/pictures/dial.bmp")),
            loadPicture(QStringLiteral(":/pictures/mask.bmp"))};
}

QImage newFaceImage() {
    QImage image(kFaceSize, kFaceSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

void drawFace(QImage& bk, const ClockPictures& pictures, QColor windowColour) {
    QPainter painter(&bk);
    painter.fillRect(kClockRect, windowColour);
    // OR-ing the mask whitens the disc; AND-ing the dial then shows the dial on the
    // disc and leaves the window's colour around it, whatever that colour is.
    painter.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
    painter.drawImage(kClockRect, pictures.mask, kClockRect);
    painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    painter.drawImage(kClockRect, pictures.tokei, kClockRect);
}

void drawHands(QImage& bk, int hour, int minute) {
    QPainter painter(&bk);
    painter.setRenderHint(QPainter::Antialiasing, false);
    drawHand(painter, hourHandEnd(hour, minute), kHourHandWidth);
    drawHand(painter, minuteHandEnd(minute), kMinuteHandWidth);
}

void copyFace(QImage& destination, const QImage& source) {
    QPainter painter(&destination);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(kClockRect, source, kClockRect);
}
