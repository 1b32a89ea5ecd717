#pragma once

// MessageBeep 0 (MB_OK) and 48 (MB_ICONEXCLAMATION): two distinct short tones made
// by the program, played through the same audio output as the alarm sound on a
// channel of their own, so a playing WAV is not disturbed.
class Beeper {
public:
    Beeper();
    ~Beeper();
    Beeper(const Beeper&) = delete;
    Beeper& operator=(const Beeper&) = delete;

    // False when no sound device opens; the caller then falls back to the
    // desktop's own beep.
    bool beep(unsigned type);
    // Lets the audio device go once no beep sounds any more: an open device keeps
    // a mixing thread awake. The next beep opens it again.
    void releaseIfQuiet();

private:
    struct Impl;
    Impl* m_impl;
};
