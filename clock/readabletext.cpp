#include "clock/readabletext.h"

#include "clock/textcontrast.h"

#include <QWidget>

namespace {

std::uint32_t rgbOf(const QColor& colour) {
    return colour.rgb() & 0xFFFFFFu;
}

}  // namespace

void setReadableText(QWidget* control, const QPalette& look, QPalette::ColorRole text,
                     QPalette::ColorRole background, bool layoutBlack) {
    const std::uint32_t desktopText = rgbOf(look.color(text));
    const QColor colour = QColor::fromRgb(readableTextColour(
        layoutBlack ? 0x000000 : desktopText, desktopText, rgbOf(look.color(background))));
    QPalette palette = control->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive})
        palette.setColor(group, text, colour);
    control->setPalette(palette);
}
