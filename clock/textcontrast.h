#pragma once

#include <cstdint>

// Readable text on any window colour. Colours are 0xRRGGBB (sRGB); a text reads
// when its contrast ratio with the background (relative luminance, as the
// accessibility guidelines define it) is at least 4.5:1.
inline constexpr double kReadableContrast = 4.5;

double relativeLuminance(std::uint32_t rgb);
double contrastRatio(std::uint32_t first, std::uint32_t second);

// The layout's colour where it reads on the background, else the desktop's own text
// colour where that reads, else black or white, whichever reads better.
std::uint32_t readableTextColour(std::uint32_t preferred, std::uint32_t desktopText,
                                 std::uint32_t background);
