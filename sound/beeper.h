#pragma once

// MessageBeep 0 (MB_OK) and 48 (MB_ICONEXCLAMATION): two distinct short tones made
// by the program, mixed into the same sound output as the alarm sound, so a
// playing WAV is not disturbed.
class Beeper {
public:
    // Returns at once. False when the sound device could not be had at the last
    // try: the caller then sounds the desktop's own beep, and the device is tried
    // again in the background for the next beep. A beep that finds no device only
    // later goes to the AudioEngine's unheard handler.
    bool beep(unsigned type);
};
