#pragma once

// The one audio output of the program, shared by the alarm player and the beeps:
// opened for its first user, closed when the last one lets go. All calls come from
// the GUI thread.
class AudioDevice {
public:
    // Opens the output (44100 Hz, stereo, 16 bit) unless it is open already. False,
    // with the reason in SDL_GetError(), when the machine has no usable sound device.
    static bool acquire();
    // Lets go of one successful acquire().
    static void release();
    static int users();
};
