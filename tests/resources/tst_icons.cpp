#include "app/programimage.h"

#include <QImage>
#include <QSet>
#include <QString>

#include <gtest/gtest.h>

#include <map>
#include <utility>
#include <vector>

namespace {

constexpr QRgb Black = 0xFF000000, Grey = 0xFF808080, Red = 0xFFFF0000, Yellow = 0xFFFFFF00,
               Aqua = 0xFF00FFFF, White = 0xFFFFFFFF;
const QSet<QRgb> kPalette{Black,      0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080,
                          0xFF008080, 0xFFC0C0C0, Grey,       Red,        0xFF00FF00, Yellow,
                          0xFF0000FF, 0xFFFF00FF, Aqua,       White};

QImage load(QStringView name) {
    return programImage(name).convertToFormat(QImage::Format_ARGB32);
}

bool opaque(const QImage& image, int x, int y) {
    return qAlpha(image.pixel(x, y)) != 0;
}

// Every pixel is fully transparent or one of `colours`.
void expectOnly(const QImage& image, const QSet<QRgb>& colours, const QString& name) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            EXPECT_TRUE(!opaque(image, x, y) || colours.contains(image.pixel(x, y)))
                << qPrintable(name) << " " << x << "," << y << " " << std::hex << image.pixel(x, y);
}

TEST(Icons, AreThirtyTwoPixelPicturesInTheirColours) {
    const struct {
        const char* name;
        QSet<QRgb> colours;
        bool clock;
    } pictures[] = {{"mainicon", kPalette, true},
                    {"timer2", kPalette, true},
                    {"timer3", kPalette, true},
                    {"dmouse", {Black, White}, false}};
    for (const auto& [name, colours, clock] : pictures) {
        const QImage image = load(QString::fromLatin1(name));
        ASSERT_EQ(image.size(), QSize(32, 32)) << name;
        expectOnly(image, colours, QLatin1String(name));
        // The clocks stand on the background; the cursor's hot spot is its fingertip.
        EXPECT_NE(opaque(image, 0, 0), clock) << name;
        EXPECT_FALSE(clock &&
                     (opaque(image, 31, 0) || opaque(image, 0, 31) || opaque(image, 31, 31)))
            << name;
    }
}

TEST(Icons, HopFrameIsTheClockTwoPixelsLowerWithFeetToTheEdges) {
    const QImage rest = load(u"mainicon"), hop = load(u"timer2");
    bool leftFoot = false, rightFoot = false;
    for (int i = 0; i < 32; ++i) {
        EXPECT_FALSE(opaque(hop, i, 0) || opaque(hop, i, 1)) << i;
        for (int y = 0; y < 6; ++y) EXPECT_EQ(hop.pixel(i, y + 2), rest.pixel(i, y)) << i;
        leftFoot |= i >= 24 && opaque(hop, 0, i);
        rightFoot |= i >= 24 && opaque(hop, 31, i);
    }
    EXPECT_TRUE(leftFoot && rightFoot);
}

TEST(Icons, FlashFrameIsTheRestingFrameInGlowingColours) {
    const QImage rest = load(u"mainicon"), flash = load(u"timer3");
    // What a colour of the resting frame may turn into; any other colour stays.
    const std::map<QRgb, QSet<QRgb>> turns{{Grey, {Yellow}},
                                           {Yellow, {Aqua}},
                                           {Black, {Black, Yellow, Red}},
                                           {White, {White, Yellow}}};
    std::map<std::pair<QRgb, QRgb>, int> changes;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const QRgb before = rest.pixel(x, y), after = flash.pixel(x, y);
            ASSERT_EQ(qAlpha(before), qAlpha(after)) << x << "," << y;
            const auto rule = turns.find(before);
            EXPECT_TRUE(rule == turns.end() ? after == before : rule->second.contains(after))
                << x << "," << y << " " << std::hex << after;
            ++changes[{before, after}];
        }
    }
    EXPECT_GE(changes[std::pair(Yellow, Aqua)], 20) << "bells";
    EXPECT_GE(changes[std::pair(Black, Red)], 40) << "mouth";
    EXPECT_GE(changes[std::pair(White, Yellow)], 40) << "eyes";

    // No pupil is left: black only ever parts yellow from some other colour, never lies
    // between yellow and black alone as a pupil inside a glowing eye would.
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            bool edge = false;
            for (const QPoint q :
                 {QPoint(x + 1, y), QPoint(x - 1, y), QPoint(x, y + 1), QPoint(x, y - 1)}) {
                edge |= !flash.rect().contains(q) ||
                        !QSet<QRgb>{Yellow, Black}.contains(flash.pixel(q));
            }
            EXPECT_TRUE(flash.pixel(x, y) != Black || edge) << x << "," << y;
        }
    }
}

// Scaled from the pixel art without smoothing: no blended colour appears.
TEST(Icons, DesktopIconsHaveTheirSizesInTheProgramIconsColours) {
    for (const int size : {32, 48, 64, 128}) {
        const QString path =
            QStringLiteral(PIPIRON_ICON_DIR "/%1x%1/apps/io.github.pipiron.Pipiron.png").arg(size);
        const QImage icon = QImage(path).convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(icon.size(), QSize(size, size)) << qPrintable(path);
        expectOnly(icon, kPalette, path);
    }
}

}  // namespace
