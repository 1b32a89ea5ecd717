#pragma once

#include <cstdint>
#include <vector>

// The program's own MessageBeep sounds, mono 16-bit at `sampleRate`:
// 0 (MB_OK) a soft two-note ding, 48 (MB_ICONEXCLAMATION) a lower, sharper double
// beep. Any other type sounds like 0, as the desktop's default sound would.
std::vector<std::int16_t> beepTone(unsigned type, unsigned sampleRate);
