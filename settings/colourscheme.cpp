#include "settings/colourscheme.h"

std::optional<ColourScheme> colourScheme(int index) {
    switch (index) {
        case 0:
            return ColourScheme{0x000000, 0x00FF00};
        case 1:
            return ColourScheme{0xFFFFFF, 0x000000};
        case 2:
            return ColourScheme{0xFF0000, 0xFFFF00};
        case 3:
            return ColourScheme{0x00FFFF, 0x0000FF};
        default:
            return std::nullopt;
    }
}
