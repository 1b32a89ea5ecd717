#include "app/fontpages.h"
#include "app/fonts.h"
#include "controls/timelabel.h"

#include <QFile>
#include <QFileInfo>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

QImage drawn(const QFont& font) {
    QImage image(160, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.drawText(image.rect(), Qt::AlignCenter, QStringLiteral("23:59 現在"));
    return image;
}

// Kilobytes of font files mapped: the Rss under each header (no capital) naming one.
int fontKilobytesMapped() {
    QFile smaps(QStringLiteral("/proc/self/smaps"));
    if (!smaps.open(QIODevice::ReadOnly)) return -1;
    const QStringList fonts = {QStringLiteral("ttf"), QStringLiteral("otf"), QStringLiteral("ttc")};
    int kilobytes = 0;
    bool inFont = false;
    for (const QString& line :
         QString::fromLatin1(smaps.readAll()).split(u'\n', Qt::SkipEmptyParts)) {
        if (!line[0].isUpper())
            inFont = fonts.contains(QFileInfo(line).suffix(), Qt::CaseInsensitive);
        else if (inFont && line.startsWith(u"Rss:"))
            kilobytes += line.mid(4).simplified().section(u' ', 0, 0).toInt();
    }
    return kilobytes;
}

}  // namespace

// Glyphs read from the files after their pages were let go are the glyphs they were.
TEST(FontPages, TextReadAfterTheFilesAreLetGoLooksTheSame) {
    const QImage before = drawn(msGothic(21, true));
    ASSERT_GT(fontKilobytesMapped(), 0);
    releaseFontPages();
    EXPECT_EQ(fontKilobytesMapped(), 0);
    // Another style strategy makes Qt read the glyphs anew, drawn alike.
    QFont again = msGothic(21, true);
    again.setStyleStrategy(QFont::PreferQuality);
    EXPECT_EQ(drawn(again), before);
}

// Each Windows font is drawn by an installed font of its own list of names, not by whatever
// the system falls back to for a missing name.
TEST(Fonts, EachWindowsFontIsDrawnByOneOfItsStandIns) {
    const std::pair<QFont, QStringList> cases[] = {
        {msPGothic(16, true), {"ＭＳ Ｐゴシック", "MS PGothic", "IPAPGothic", "Noto Sans CJK JP"}},
        {msGothic(21, true), {"ＭＳ ゴシック", "MS Gothic", "IPAGothic", "Noto Sans Mono CJK JP"}},
        {msPMincho(18, true), {"ＭＳ Ｐ明朝", "MS PMincho", "IPAPMincho", "Noto Serif CJK JP"}},
    };
    for (const auto& [font, standIns] : cases)
        EXPECT_TRUE(standIns.contains(QFontInfo(font).family()))
            << QFontInfo(font).family().toStdString();
}

// A name is shaped when its script needs it, and only then.
TEST(Fonts, OnlyTextThatNeedsItIsShaped) {
    const std::pair<const char*, bool> cases[] = {
        {"c:\\windows\\media\\tada.wav", false},
        {"アラーム時刻をセットします・・１０分", false},
        {"Café Ωμέγα Жук.wav", false},  // precomposed letters
        {"Cafe\u0301.wav", true},       // a combining accent
        {"\u0411\u0483.wav", true},     // a Cyrillic mark, of the Cyrillic script
        {"منبه.wav", true},
        {"שעון.wav", true},
        {"นาฬิกา.wav", true},
        {"알람.wav", true},
        {"\U0001F468\u200D\U0001F373.wav", true},  // two emoji joined
        {"", false},
    };
    for (const auto& [text, shaped] : cases)
        EXPECT_EQ(needsShaping(QString::fromUtf8(text)), shaped) << text;
}

// The time labels draw their text themselves and must look as a label does: each digit
// in each place, in both sizes the windows use.
TEST(Fonts, ATimeLabelLooksAsALabelDoes) {
    for (const auto& [pixelHeight, size] : {std::pair{21, QSize(65, 25)}, {12, QSize(34, 14)}}) {
        QLabel label;
        TimeLabel timeLabel(QString(), nullptr);
        for (QLabel* shown : {&label, static_cast<QLabel*>(&timeLabel)}) {
            shown->resize(size);
            shown->setFont(msGothic(pixelHeight, true));
            shown->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        }
        for (char digit = '0'; digit <= '9'; ++digit) {
            const QString time = QStringLiteral("%1%1:%1%1").arg(QLatin1Char(digit));
            label.setText(time);
            timeLabel.setText(time);
            EXPECT_EQ(timeLabel.grab().toImage(), label.grab().toImage()) << pixelHeight << digit;
        }
    }
}
