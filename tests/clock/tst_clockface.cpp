#include "clock/clockface.h"
#include "clock/hands.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <utility>
#include <vector>

namespace {

const QRgb kBlack = qRgb(0, 0, 0);
const QColor kButtonFace(0xc0, 0xc0, 0xc0);

const ClockPictures& pictures() {
    static const ClockPictures loaded = loadClockPictures();
    return loaded;
}

QImage drawnClock(int hour, int minute, QColor windowColour = kButtonFace,
                  QImage bk = newFaceImage()) {
    drawFace(bk, pictures(), windowColour);
    drawHands(bk, hour, minute);
    return bk;
}

}  // namespace

// A wide pen's round end must still cover the end pixel itself.
TEST(DrawHands, InkReachesThePivotAndBothEndPoints) {
    for (const auto& [hour, minute] : std::vector<std::pair<int, int>>{
             {0, 0},   {1, 0},  {2, 0},  {3, 0},   {4, 0},   {5, 0},   {6, 0},  {7, 0},  {8, 0},
             {9, 0},   {10, 0}, {11, 0}, {12, 15}, {15, 30}, {6, 30},  {2, 30}, {9, 45}, {10, 10},
             {23, 59}, {1, 5},  {4, 25}, {7, 35},  {8, 55},  {11, 50}, {3, 20}, {5, 40}}) {
        const QImage face = drawnClock(hour, minute);
        EXPECT_EQ(face.pixel(kHandPivot, kHandPivot), kBlack) << hour << ":" << minute;
        for (const HandPoint end : {hourHandEnd(hour, minute), minuteHandEnd(minute)})
            EXPECT_EQ(face.pixel(end.x, end.y), kBlack)
                << hour << ":" << minute << " end " << end.x << "," << end.y;
    }
}

TEST(DrawHands, AfternoonHoursDrawTheMorningFace) {
    EXPECT_EQ(drawnClock(0, 0), drawnClock(12, 0));
    EXPECT_EQ(drawnClock(3, 0), drawnClock(15, 0));
    EXPECT_NE(drawnClock(3, 0), drawnClock(0, 0));
}

// Whatever a work image held, and whatever its shape, a new face or a copy replaces it all.
TEST(DrawFace, NewFaceOrCopyReplacesTheWholeImage) {
    const QImage face = drawnClock(3, 0);
    for (const QImage& before :
         {drawnClock(10, 10, Qt::green), QImage(10, 20, QImage::Format_ARGB32)})
        EXPECT_EQ(drawnClock(3, 0, kButtonFace, before), face);
    QImage copy = drawnClock(10, 10, QColor(0x80, 0x00, 0x80));
    copyFace(copy, face);
    EXPECT_EQ(copy, face);
}

// The face is what the platform's raster operations make of the pictures.
TEST(DrawFace, EqualsFillThenOrMaskThenAndDial) {
    for (const QColor colour : {kButtonFace, QColor(0x20, 0x30, 0x40), QColor(0xff, 0x7f, 0x01)}) {
        QImage expected = newFaceImage();
        QPainter painter(&expected);
        painter.fillRect(expected.rect(), colour);
        painter.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
        painter.drawImage(0, 0, pictures().mask);
        painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
        painter.drawImage(0, 0, pictures().tokei);
        painter.end();
        QImage bk = newFaceImage();
        drawFace(bk, pictures(), colour);
        EXPECT_EQ(bk, expected) << qPrintable(colour.name());
    }
}
