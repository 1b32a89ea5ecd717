#include "resources/gen/dialpictures.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QRect>
#include <QSet>

namespace {

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kBlack = qRgb(0, 0, 0);

QImage compiledIn(const char* name) {
    return QImage(QStringLiteral(":/pictures/") + QLatin1String(name));
}

QSet<QRgb> coloursOf(const QImage& image) {
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) colours.insert(image.pixel(x, y));
    }
    return colours;
}

}  // namespace

TEST(DialPictures, CompiledInFilesAreWhatTheGeneratorDraws) {
    for (const auto& [name, drawn] :
         {std::pair{"dial.bmp", drawDial()}, std::pair{"mask.bmp", drawDialMask()}}) {
        const QImage stored = compiledIn(name);
        ASSERT_FALSE(stored.isNull()) << name;
        EXPECT_EQ(stored.format(), QImage::Format_Indexed8) << name;
        EXPECT_EQ(stored.colorCount(), 256) << name;
        EXPECT_EQ(stored.convertToFormat(QImage::Format_RGB32),
                  drawn.convertToFormat(QImage::Format_RGB32))
            << name << " is stale: run dialgen resources/pictures";
    }
}

TEST(DialPictures, UseOnlyTheirOwnColours) {
    EXPECT_EQ(coloursOf(drawDial()), (QSet<QRgb>{kWhite, kRed, kBlack}));
    EXPECT_EQ(coloursOf(drawDialMask()), (QSet<QRgb>{kWhite, kBlack}));
}

TEST(DialMask, IsARoundDiscAboutTheCentrePixel) {
    const QImage mask = drawDialMask();
    ASSERT_EQ(mask.size(), QSize(128, 128));
    QRect extent;
    for (int y = 0; y < 128; ++y) {
        int left = -1;
        int right = -1;
        for (int x = 0; x < 128; ++x) {
            if (mask.pixel(x, y) != kWhite) continue;
            if (left < 0) left = x;
            right = x;
            extent |= QRect(x, y, 1, 1);
        }
        if (left < 0) continue;
        // One run per row, mirrored about column 63, and the same shape on its side.
        EXPECT_EQ(left + right, 126) << "row " << y;
        for (int x = left; x <= right; ++x) ASSERT_EQ(mask.pixel(x, y), kWhite) << x << "," << y;
        for (int x = left; x <= right; ++x) ASSERT_EQ(mask.pixel(y, x), kWhite) << y << "," << x;
    }
    EXPECT_EQ(extent, QRect(QPoint(6, 6), QPoint(120, 120)));
}

TEST(Dial, RingIsThreeRedPixelsInsideTheMasksOutline) {
    const QImage dial = drawDial();
    const QImage mask = drawDialMask();
    struct Run {
        int from;
        int to;
        QRgb colour;
    };
    for (const Run& run : {Run{0, 5, kWhite}, Run{6, 8, kRed}, Run{9, 11, kWhite},
                           Run{115, 117, kWhite}, Run{118, 120, kRed}, Run{121, 127, kWhite}}) {
        for (int i = run.from; i <= run.to; ++i) {
            EXPECT_EQ(dial.pixel(i, 63), run.colour) << "row 63, column " << i;
            EXPECT_EQ(dial.pixel(63, i), run.colour) << "column 63, row " << i;
        }
    }
    // Row by row the ring's outer ends are the disc's ends.
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 128; ++x) {
            const bool onDisc = mask.pixel(x, y) == kWhite;
            const bool outline = onDisc && (x == 0 || mask.pixel(x - 1, y) != kWhite || x == 127 ||
                                            mask.pixel(x + 1, y) != kWhite);
            if (outline) {
                EXPECT_EQ(dial.pixel(x, y), kRed) << x << "," << y;
            } else if (!onDisc) {
                EXPECT_EQ(dial.pixel(x, y), kWhite) << x << "," << y;
            }
        }
    }
}

TEST(Dial, EachNumeralFillsExactlyItsPlace) {
    const QImage dial = drawDial();
    struct Place {
        int numeral;
        QRect box;
    };
    const Place places[] = {
        {12, QRect(QPoint(56, 13), QPoint(70, 21))},  {1, QRect(QPoint(86, 19), QPoint(91, 27))},
        {2, QRect(QPoint(100, 36), QPoint(108, 44))}, {3, QRect(QPoint(106, 59), QPoint(114, 67))},
        {4, QRect(QPoint(99, 83), QPoint(108, 91))},  {5, QRect(QPoint(83, 99), QPoint(91, 107))},
        {6, QRect(QPoint(60, 106), QPoint(67, 114))}, {7, QRect(QPoint(36, 100), QPoint(43, 108))},
        {8, QRect(QPoint(19, 83), QPoint(27, 91))},   {9, QRect(QPoint(12, 60), QPoint(20, 68))},
        {10, QRect(QPoint(17, 36), QPoint(30, 44))},  {11, QRect(QPoint(33, 20), QPoint(45, 28))},
    };
    for (const Place& place : places) {
        QRect ink;
        // Look one pixel around the box so that a figure spilling out of it shows.
        const QRect around = place.box.adjusted(-1, -1, 1, 1);
        for (int y = around.top(); y <= around.bottom(); ++y) {
            for (int x = around.left(); x <= around.right(); ++x) {
                if (dial.pixel(x, y) == kBlack) ink |= QRect(x, y, 1, 1);
            }
        }
        EXPECT_EQ(ink, place.box) << "numeral " << place.numeral;
    }
    // No stray ink: every black pixel belongs to a numeral's place.
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 128; ++x) {
            if (dial.pixel(x, y) != kBlack) continue;
            bool placed = false;
            for (const Place& place : places) placed = placed || place.box.contains(x, y);
            EXPECT_TRUE(placed) << x << "," << y;
        }
    }
}
