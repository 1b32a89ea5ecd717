#include <QImage>
#include <QPoint>
#include <QRgb>
#include <QSet>
#include <QString>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <queue>
#include <vector>

namespace {

constexpr QRgb Black = 0xFF000000, Maroon = 0xFF800000, Grey = 0xFF808080, Silver = 0xFFC0C0C0,
               Red = 0xFFFF0000, Yellow = 0xFFFFFF00, Aqua = 0xFF00FFFF, White = 0xFFFFFFFF;

const QSet<QRgb>& palette() {
    static const QSet<QRgb> colours{
        Black, Maroon, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080, 0xFF008080, Silver,
        Grey,  Red,    0xFF00FF00, Yellow,     0xFF0000FF, 0xFFFF00FF, Aqua,       White};
    return colours;
}

QImage load(const char* path) {
    return QImage(QString::fromLatin1(path)).convertToFormat(QImage::Format_ARGB32);
}

bool opaque(const QImage& image, int x, int y) {
    return qAlpha(image.pixel(x, y)) != 0;
}

// Transparent pixels that cannot be reached from the border are holes in the picture.
int holes(const QImage& image) {
    std::vector<bool> seen(image.width() * image.height(), false);
    std::queue<QPoint> todo;
    for (int i = 0; i < image.width(); ++i) {
        for (const QPoint p : {QPoint(i, 0), QPoint(i, image.height() - 1), QPoint(0, i),
                               QPoint(image.width() - 1, i)}) {
            if (!opaque(image, p.x(), p.y()) && !seen[p.y() * image.width() + p.x()]) {
                seen[p.y() * image.width() + p.x()] = true;
                todo.push(p);
            }
        }
    }
    while (!todo.empty()) {
        const QPoint p = todo.front();
        todo.pop();
        for (const QPoint d : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
            const QPoint q = p + d;
            if (image.rect().contains(q) && !opaque(image, q.x(), q.y()) &&
                !seen[q.y() * image.width() + q.x()]) {
                seen[q.y() * image.width() + q.x()] = true;
                todo.push(q);
            }
        }
    }
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += !opaque(image, x, y) && !seen[y * image.width() + x];
    return count;
}

struct Picture {
    const char* path;
    bool clock;
};

class PictureTest : public ::testing::TestWithParam<Picture> {};

TEST_P(PictureTest, IsA32PixelPictureInTheSixteenColours) {
    const QImage image = load(GetParam().path);
    ASSERT_FALSE(image.isNull()) << GetParam().path;
    ASSERT_EQ(image.size(), QSize(32, 32));
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const QRgb c = image.pixel(x, y);
            if (qAlpha(c) == 0) continue;
            EXPECT_TRUE(qAlpha(c) == 255 && palette().contains(c))
                << GetParam().path << " (" << x << "," << y << ") " << std::hex << c;
        }
    }
}

TEST_P(PictureTest, ClockStandsOnTheBackgroundOnlyOutsideItsOutline) {
    if (!GetParam().clock) GTEST_SKIP();
    const QImage image = load(GetParam().path);
    for (const QPoint corner : {QPoint(0, 0), QPoint(31, 0), QPoint(0, 31), QPoint(31, 31)})
        EXPECT_FALSE(opaque(image, corner.x(), corner.y())) << corner.x() << "," << corner.y();
    EXPECT_EQ(holes(image), 0);
    EXPECT_TRUE(opaque(image, 16, 16));
}

INSTANTIATE_TEST_SUITE_P(Resources, PictureTest,
                         ::testing::Values(Picture{":/icons/mainicon.xpm", true},
                                           Picture{":/icons/timer2.xpm", true},
                                           Picture{":/icons/timer3.xpm", true},
                                           Picture{":/icons/dmouse.xpm", false}));

TEST(HopFrame, IsTheClockTwoPixelsLowerWithFeetToTheEdges) {
    const QImage rest = load(":/icons/mainicon.xpm");
    const QImage hop = load(":/icons/timer2.xpm");
    for (int x = 0; x < 32; ++x) {
        EXPECT_FALSE(opaque(hop, x, 0) || opaque(hop, x, 1)) << x;
    }
    // The bells and the top of the ring are the resting frame moved down.
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 32; ++x)
            EXPECT_EQ(hop.pixel(x, y + 2), rest.pixel(x, y)) << x << "," << y;
    bool leftFoot = false, rightFoot = false, restAtEdge = false;
    for (int y = 24; y < 32; ++y) {
        leftFoot |= opaque(hop, 0, y);
        rightFoot |= opaque(hop, 31, y);
        restAtEdge |= opaque(rest, 0, y) || opaque(rest, 31, y);
    }
    EXPECT_TRUE(leftFoot);
    EXPECT_TRUE(rightFoot);
    EXPECT_FALSE(restAtEdge) << "the resting feet stand under the clock";
    bool restTopRow = false;
    for (int x = 0; x < 32; ++x) restTopRow |= opaque(rest, x, 0);
    EXPECT_TRUE(restTopRow) << "the resting clock fills the square";
}

TEST(FlashFrame, IsTheRestingFrameInGlowingColours) {
    const QImage rest = load(":/icons/mainicon.xpm");
    const QImage flash = load(":/icons/timer3.xpm");
    // What each colour of the resting face may turn into.
    const std::array<std::pair<QRgb, QSet<QRgb>>, 7> allowed{{
        {Grey, {Yellow}},
        {Yellow, {Aqua}},
        {Black, {Black, Yellow, Red}},  // outlines stay, pupils and mouth glow
        {White, {White, Yellow}},       // the whites of the eyes
        {Red, {Red}},
        {Maroon, {Maroon}},
        {Silver, {Silver}},
    }};
    int pupils = 0, mouth = 0, eyeWhites = 0, bells = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const QRgb before = rest.pixel(x, y), after = flash.pixel(x, y);
            ASSERT_EQ(qAlpha(before), qAlpha(after)) << x << "," << y;
            if (qAlpha(before) == 0) continue;
            EXPECT_NE(after, Grey) << x << "," << y;
            for (const auto& [from, to] : allowed) {
                if (before == from) {
                    EXPECT_TRUE(to.contains(after)) << x << "," << y << " " << std::hex << after;
                }
            }
            pupils += before == Black && after == Yellow;
            mouth += before == Black && after == Red;
            eyeWhites += before == White && after == Yellow;
            bells += before == Yellow && after == Aqua;
        }
    }
    EXPECT_GE(pupils, 8);
    EXPECT_GE(mouth, 40);
    EXPECT_GE(eyeWhites, 40);
    EXPECT_GE(bells, 20);
}

// Yellow areas closed in by black: in the flash frame these are the eyes.
std::vector<std::vector<QPoint>> yellowInBlack(const QImage& image) {
    std::vector<std::vector<QPoint>> found;
    std::vector<bool> seen(32 * 32, false);
    const std::array<QPoint, 4> steps{QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)};
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            if (seen[y * 32 + x] || image.pixel(x, y) != Yellow) continue;
            std::vector<QPoint> area{QPoint(x, y)};
            seen[y * 32 + x] = true;
            bool closed = true;
            for (std::size_t i = 0; i < area.size(); ++i) {
                for (const QPoint d : steps) {
                    const QPoint q = area[i] + d;
                    if (!image.rect().contains(q)) {
                        closed = false;
                    } else if (image.pixel(q) == Yellow) {
                        if (!seen[q.y() * 32 + q.x()]) {
                            seen[q.y() * 32 + q.x()] = true;
                            area.push_back(q);
                        }
                    } else if (image.pixel(q) != Black) {
                        closed = false;
                    }
                }
            }
            if (closed) found.push_back(area);
        }
    }
    return found;
}

TEST(FlashFrame, EyesAreSolidYellowDiscsTheRightOneBigger) {
    const QImage flash = load(":/icons/timer3.xpm");
    const auto eyes = yellowInBlack(flash);
    ASSERT_EQ(eyes.size(), 2u);
    for (const auto& eye : eyes) {
        // A pupil left black would show as black between yellow pixels of one row.
        QSet<int> rows;
        for (const QPoint p : eye) rows.insert(p.y());
        for (const int y : rows) {
            int left = 32, right = -1;
            for (const QPoint p : eye) {
                if (p.y() == y) {
                    left = std::min(left, p.x());
                    right = std::max(right, p.x());
                }
            }
            for (int x = left; x <= right; ++x)
                EXPECT_EQ(flash.pixel(x, y), Yellow) << x << "," << y;
        }
    }
    const auto leftmost = [](const std::vector<QPoint>& area) {
        int x = 32;
        for (const QPoint p : area) x = std::min(x, p.x());
        return x;
    };
    const auto& left = leftmost(eyes[0]) < leftmost(eyes[1]) ? eyes[0] : eyes[1];
    const auto& right = &left == &eyes[0] ? eyes[1] : eyes[0];
    EXPECT_GT(right.size(), left.size());
}

TEST(Cursor, IsAWhiteHandOutlinedInBlackWithTheFingertipOnTheHotSpot) {
    const QImage cursor = load(":/icons/dmouse.xpm");
    ASSERT_EQ(cursor.size(), QSize(32, 32));
    int white = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const QRgb c = cursor.pixel(x, y);
            EXPECT_TRUE(qAlpha(c) == 0 || c == Black || c == White) << x << "," << y;
            white += c == White;
        }
    }
    EXPECT_EQ(cursor.pixel(0, 0), Black);
    EXPECT_EQ(cursor.pixel(1, 1), White);
    EXPECT_GE(white, 150);
    // No white pixel touches the transparent area: the outline is closed.
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            if (cursor.pixel(x, y) != White) continue;
            for (const QPoint d : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
                const QPoint q = QPoint(x, y) + d;
                EXPECT_TRUE(cursor.rect().contains(q) && opaque(cursor, q.x(), q.y()))
                    << x << "," << y;
            }
        }
    }
}

class DesktopIconTest : public ::testing::TestWithParam<int> {};

TEST_P(DesktopIconTest, IsTheProgramIconScaledWithoutBlending) {
    const int size = GetParam();
    const QImage icon = load(":/icons/mainicon.xpm");
    const QString path = QStringLiteral(PIPIRON_ICON_DIR "/%1x%1/apps/pipiron.png").arg(size);
    const QImage scaled = QImage(path).convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(scaled.size(), QSize(size, size)) << qPrintable(path);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const QRgb c = scaled.pixel(x, y);
            // Nearest neighbour: each pixel is one of the source pixels around its place.
            const int sx = x * 32 / size, sy = y * 32 / size;
            bool found = false;
            for (int dy = -1; dy <= 1 && !found; ++dy)
                for (int dx = -1; dx <= 1 && !found; ++dx)
                    found = icon.rect().contains(sx + dx, sy + dy) &&
                            (icon.pixel(sx + dx, sy + dy) == c ||
                             (qAlpha(c) == 0 && qAlpha(icon.pixel(sx + dx, sy + dy)) == 0));
            EXPECT_TRUE(found) << size << ": " << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, DesktopIconTest, ::testing::Values(32, 48, 64, 128));

}  // namespace
