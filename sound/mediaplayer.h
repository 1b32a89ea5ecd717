#pragma once

#include <string>

// The alarm sound player on SDL2_mixer's music stream. One file at a time:
// Open it (synchronously), Play it in the background, Stop it (keeping the
// position) and SeekToStart. Play, Stop and SeekToStart on a player that is not
// open raise EMCIDeviceError "MCI ﾃﾞﾊﾞｲｽがありません".
// The music stream is one per process, so the program keeps one player.
class TMediaPlayer {
public:
    TMediaPlayer();
    ~TMediaPlayer();
    TMediaPlayer(const TMediaPlayer&) = delete;
    TMediaPlayer& operator=(const TMediaPlayer&) = delete;

    std::string FileName;

    // Closes an open sound first (which stops it), then opens FileName; raises
    // EMCIDeviceError with the library's text, or "原因不明のｴﾗｰ", on any failure.
    // Only WAV files (".wav", plain PCM or 32-bit float) are opened.
    void Open();
    // Returns at once and never raises for an open player: a sound still playing
    // goes on, a sound that has reached its end starts again from its beginning.
    void Play();
    void Stop();
    void SeekToStart();
    // Stops and releases the sound and the audio device; also done by the destructor.
    void Close();
    // Lets the audio device go while the sound stands at its start (after Open or
    // SeekToStart); the next Play takes it again. Closing a device can take a
    // while, so the owner calls this when it is not in a hurry.
    void releaseIfIdle();

    bool isOpen() const;
    bool isPlaying() const;

    // Seconds from the beginning of the sound; its length once it has ended.
    double position() const;
    double length() const;
    // How often the sound has started from its beginning since Open.
    int startCount() const;
    // The text of the last failure of Play, empty after a success.
    const std::string& lastError() const;

private:
    struct Impl;
    Impl* m_impl;
};
