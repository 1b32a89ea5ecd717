#pragma once

#include <cstdint>
#include <optional>

// The mini timer's colours by the item index of the colour choice, as 0x00BBGGRR.
struct ColourScheme {
    std::uint32_t background;
    std::uint32_t text;
};

// 0 black/lime, 1 white/black, 2 blue/aqua, 3 yellow/red; any other index none.
std::optional<ColourScheme> colourScheme(int index);
