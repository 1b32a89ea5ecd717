#include "clock/textcontrast.h"

#include <algorithm>
#include <cmath>

namespace {

double linear(std::uint32_t channel) {
    const double c = double(channel & 0xFF) / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

}  // namespace

double relativeLuminance(std::uint32_t rgb) {
    return 0.2126 * linear(rgb >> 16) + 0.7152 * linear(rgb >> 8) + 0.0722 * linear(rgb);
}

double contrastRatio(std::uint32_t first, std::uint32_t second) {
    const double a = relativeLuminance(first), b = relativeLuminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

std::uint32_t readableTextColour(std::uint32_t preferred, std::uint32_t desktopText,
                                 std::uint32_t background) {
    for (const std::uint32_t text : {preferred, desktopText})
        if (contrastRatio(text, background) >= kReadableContrast) return text;
    constexpr std::uint32_t black = 0x000000, white = 0xFFFFFF;
    return contrastRatio(black, background) >= contrastRatio(white, background) ? black : white;
}
