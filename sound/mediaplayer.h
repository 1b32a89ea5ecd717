#pragma once

#include <string>
#include <vector>

// The alarm sound player: one WAV file at a time. Open opens and checks the file,
// waiting a moment at most, and raises EMCIDeviceError when it cannot be played;
// the file is then held open, so that the sound stays playable until the next Open
// whatever becomes of its name, and its samples are read only while it is about to
// play or plays. Play, Stop and SeekToStart return at once and never raise: the
// sound device is opened, fed and closed by the AudioEngine's own thread.
class TMediaPlayer {
public:
    TMediaPlayer() = default;
    ~TMediaPlayer();
    TMediaPlayer(const TMediaPlayer&) = delete;
    TMediaPlayer& operator=(const TMediaPlayer&) = delete;

    std::string FileName;
    // The same file under other names (its name in another encoding), tried in
    // turn when there is no file named FileName.
    std::vector<std::string> OtherNames;

    // Closes an open sound first (which stops it), then opens FileName; raises
    // EMCIDeviceError with the reason, or "原因不明のｴﾗｰ", on any failure.
    void Open();
    // A sound still playing goes on, a sound that has reached its end starts again
    // from its beginning. False when the sound cannot be heard now (no sound is
    // open, its samples could not be read, no device): the caller beeps instead.
    bool Play();
    // Silent at once, keeping the position.
    void Stop();
    void SeekToStart();
    void Close();
    // Gets the device, the sound and the beeps ready for a ring that is about to
    // start, so that its first sample follows the call within milliseconds.
    void prepare();

    bool isPlaying() const;
    // Seconds from the beginning of the sound; its length once it has ended.
    double position() const;

private:
    bool m_open = false;
};
