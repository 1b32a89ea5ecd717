#include "clock/clockface.h"
#include "clock/hands.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QPainter>

namespace {

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kBlack = qRgb(0, 0, 0);
const QColor kButtonFace(0xc0, 0xc0, 0xc0);

const ClockPictures& pictures() {
    static const ClockPictures loaded = loadClockPictures();
    return loaded;
}

QImage drawnClock(int hour, int minute, QColor windowColour = kButtonFace) {
    QImage bk = newFaceImage();
    drawFace(bk, pictures(), windowColour);
    drawHands(bk, hour, minute);
    return bk;
}

}  // namespace

TEST(ClockPictures, LoadAsWholeFacesInRgb32) {
    for (const QImage& picture : {pictures().tokei, pictures().mask}) {
        EXPECT_EQ(picture.format(), QImage::Format_RGB32);
        EXPECT_EQ(picture.size(), QSize(kFaceSize, kFaceSize));
    }
    EXPECT_EQ(newFaceImage().format(), QImage::Format_RGB32);
    EXPECT_EQ(newFaceImage().size(), QSize(kFaceSize, kFaceSize));
}

struct HandsCase {
    int hour;
    int minute;
};

class DrawHandsTest : public ::testing::TestWithParam<HandsCase> {};

// A wide pen's round end must still cover the end pixel itself.
TEST_P(DrawHandsTest, InkReachesBothEndPoints) {
    const auto [hour, minute] = GetParam();
    const QImage face = drawnClock(hour, minute);
    const HandPoint hourEnd = hourHandEnd(hour, minute);
    const HandPoint minuteEnd = minuteHandEnd(minute);
    EXPECT_EQ(face.pixel(kHandPivot, kHandPivot), kBlack);
    EXPECT_EQ(face.pixel(hourEnd.x, hourEnd.y), kBlack)
        << hour << ":" << minute << " hour hand " << hourEnd.x << "," << hourEnd.y;
    EXPECT_EQ(face.pixel(minuteEnd.x, minuteEnd.y), kBlack)
        << hour << ":" << minute << " minute hand " << minuteEnd.x << "," << minuteEnd.y;
}

INSTANTIATE_TEST_SUITE_P(Times, DrawHandsTest,
                         ::testing::Values(HandsCase{0, 0}, HandsCase{1, 0}, HandsCase{2, 0},
                                           HandsCase{3, 0}, HandsCase{4, 0}, HandsCase{5, 0},
                                           HandsCase{6, 0}, HandsCase{7, 0}, HandsCase{8, 0},
                                           HandsCase{9, 0}, HandsCase{10, 0}, HandsCase{11, 0},
                                           HandsCase{12, 15}, HandsCase{15, 30}, HandsCase{6, 30},
                                           HandsCase{2, 30}, HandsCase{9, 45}, HandsCase{10, 10},
                                           HandsCase{23, 59}, HandsCase{1, 5}, HandsCase{4, 25},
                                           HandsCase{7, 35}, HandsCase{8, 55}, HandsCase{11, 50},
                                           HandsCase{3, 20}, HandsCase{5, 40}));

TEST(DrawHands, AfternoonHoursDrawTheMorningFace) {
    EXPECT_EQ(drawnClock(0, 0), drawnClock(12, 0));
    EXPECT_EQ(drawnClock(3, 0), drawnClock(15, 0));
    EXPECT_NE(drawnClock(3, 0), drawnClock(0, 0));
}

TEST(DrawFace, RepaintsTheWholeWorkImage) {
    QImage bk = drawnClock(10, 10, Qt::green);
    drawFace(bk, pictures(), kButtonFace);
    drawHands(bk, 3, 0);
    EXPECT_EQ(bk, drawnClock(3, 0));
}

// The face is what the platform's raster operations make of the pictures.
TEST(DrawFace, EqualsFillThenOrMaskThenAndDial) {
    for (const QColor windowColour :
         {kButtonFace, QColor(0x20, 0x30, 0x40), QColor(Qt::black), QColor(0xff, 0x7f, 0x01)}) {
        QImage expected = newFaceImage();
        {
            QPainter painter(&expected);
            painter.fillRect(expected.rect(), windowColour);
            painter.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
            painter.drawImage(0, 0, pictures().mask);
            painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
            painter.drawImage(0, 0, pictures().tokei);
        }
        QImage bk = newFaceImage();
        drawFace(bk, pictures(), windowColour);
        EXPECT_EQ(bk, expected) << qPrintable(windowColour.name());
    }
}

TEST(DrawFace, ReplacesAWorkImageOfAnotherShape) {
    QImage expected = newFaceImage();
    drawFace(expected, pictures(), kButtonFace);
    QImage odd(10, 20, QImage::Format_ARGB32);
    drawFace(odd, pictures(), kButtonFace);
    EXPECT_EQ(odd, expected);
}

TEST(DrawFace, DialStandsOnTheWindowColour) {
    const QColor dark(0x20, 0x30, 0x40);
    const QImage face = drawnClock(0, 0, dark);
    for (const QPoint corner : {QPoint(0, 0), QPoint(127, 0), QPoint(0, 127), QPoint(127, 127),
                                QPoint(10, 10), QPoint(120, 6), QPoint(127, 63)}) {
        EXPECT_EQ(face.pixel(corner), dark.rgb()) << corner.x() << "," << corner.y();
    }
    // Open parts of the disc, clear of numerals and of the hands at 00:00.
    for (const QPoint open : {QPoint(63, 63 + 10), QPoint(40, 80), QPoint(90, 40), QPoint(85, 85),
                              QPoint(63, 100), QPoint(30, 63), QPoint(100, 63), QPoint(9, 63)}) {
        EXPECT_EQ(face.pixel(open), kWhite) << open.x() << "," << open.y();
    }
    for (int i : {6, 7, 8, 118, 119, 120}) {
        EXPECT_EQ(face.pixel(i, 63), kRed) << "row 63, column " << i;
        EXPECT_EQ(face.pixel(63, i), kRed) << "column 63, row " << i;
    }
    for (int i : {5, 121}) {
        EXPECT_EQ(face.pixel(i, 63), dark.rgb()) << "row 63, column " << i;
        EXPECT_EQ(face.pixel(63, i), dark.rgb()) << "column 63, row " << i;
    }
}

TEST(CopyFace, ReplacesEveryPixelOfTheDestination) {
    const QImage source = drawnClock(9, 45, QColor(0x80, 0x00, 0x80));
    QImage destination = newFaceImage();
    destination.fill(Qt::green);
    copyFace(destination, source);
    EXPECT_EQ(destination, source);
}
