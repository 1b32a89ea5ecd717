#include "app/programimage.h"
#include "resources/gen/dialpictures.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QRect>
#include <QSet>

namespace {

const QRgb kWhite = qRgb(255, 255, 255), kRed = qRgb(255, 0, 0), kBlack = qRgb(0, 0, 0);

TEST(DialPictures, CompiledInFilesAreWhatTheGeneratorDrawsInTheirOwnColours) {
    for (const auto& [name, drawn, colours] :
         {std::tuple{"dial", drawDial(), QSet<QRgb>{kWhite, kRed, kBlack}},
          std::tuple{"mask", drawDialMask(), QSet<QRgb>{kWhite, kBlack}}}) {
        const QImage stored = programImage(QString::fromLatin1(name));
        EXPECT_EQ(stored.convertToFormat(QImage::Format_RGB32),
                  drawn.convertToFormat(QImage::Format_RGB32))
            << name << " is stale: run dialgen resources/pictures";
        QSet<QRgb> used;
        for (int i = 0; i < drawn.width() * drawn.height(); ++i)
            used.insert(drawn.pixel(i % drawn.width(), i / drawn.width()));
        EXPECT_EQ(used, colours) << name;
    }
}

TEST(DialPictures, DiscAndRingFollowTheGeometry) {
    const QImage dial = drawDial(), mask = drawDialMask();
    ASSERT_EQ(mask.size(), QSize(128, 128));
    ASSERT_EQ(dial.size(), QSize(128, 128));
    for (int i = 0; i < 128; ++i) {
        const QRgb colour = (i >= 6 && i <= 8) || (i >= 118 && i <= 120) ? kRed : kWhite;
        EXPECT_TRUE((i > 11 && i < 115) ||
                    (dial.pixel(i, 63) == colour && dial.pixel(63, i) == colour))
            << "ring on row and column 63 at " << i;
    }
    // The disc is one run per row, mirrored about column 63 and the same on its side; the
    // ring's outer ends are the disc's ends, and outside the disc all is white.
    const auto white = [&](int x, int y) {
        return mask.rect().contains(x, y) && mask.pixel(x, y) == kWhite;
    };
    QRect extent;
    for (int y = 0; y < 128; ++y) {
        int left = 128, right = -1, count = 0;
        for (int x = 0; x < 128; ++x) {
            const bool edge = white(x, y) && (!white(x - 1, y) || !white(x + 1, y));
            EXPECT_TRUE((white(x, y) && !edge) || dial.pixel(x, y) == (edge ? kRed : kWhite))
                << x << "," << y;
            EXPECT_EQ(white(x, y), white(y, x)) << x << "," << y;
            if (!white(x, y)) continue;
            left = std::min(left, x);
            right = x;
            ++count;
            extent |= QRect(x, y, 1, 1);
        }
        EXPECT_TRUE(count == 0 || (left + right == 126 && right - left + 1 == count))
            << "row " << y;
    }
    EXPECT_EQ(extent, QRect(QPoint(6, 6), QPoint(120, 120)));
}

TEST(Dial, EachNumeralFillsExactlyItsPlace) {
    const QImage dial = drawDial();
    const QRect places[] = {
        QRect(QPoint(86, 19), QPoint(91, 27)),   QRect(QPoint(100, 36), QPoint(108, 44)),
        QRect(QPoint(106, 59), QPoint(114, 67)), QRect(QPoint(99, 83), QPoint(108, 91)),
        QRect(QPoint(83, 99), QPoint(91, 107)),  QRect(QPoint(60, 106), QPoint(67, 114)),
        QRect(QPoint(36, 100), QPoint(43, 108)), QRect(QPoint(19, 83), QPoint(27, 91)),
        QRect(QPoint(12, 60), QPoint(20, 68)),   QRect(QPoint(17, 36), QPoint(30, 44)),
        QRect(QPoint(33, 20), QPoint(45, 28)),   QRect(QPoint(56, 13), QPoint(70, 21))};
    // Looked for one pixel around each place, so that a spill shows.
    QRect ink[12];
    int stray = 0;
    for (int i = 0; i < 128 * 128; ++i) {
        const int x = i % 128, y = i / 128;
        bool placed = false;
        for (int n = 0; n < 12; ++n) {
            if (dial.pixel(x, y) == kBlack && places[n].adjusted(-1, -1, 1, 1).contains(x, y)) {
                ink[n] |= QRect(x, y, 1, 1);
                placed = true;
            }
        }
        stray += dial.pixel(x, y) == kBlack && !placed;
    }
    for (int n = 0; n < 12; ++n) EXPECT_EQ(ink[n], places[n]) << "numeral " << n + 1;
    EXPECT_EQ(stray, 0) << "black pixels outside every place";
}

}  // namespace
