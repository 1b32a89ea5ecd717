#pragma once

#include "sound/wavlayout.h"

#include <memory>
#include <string>
#include <vector>

// A WAV file held open: its samples stay readable whatever becomes of its name (a
// file deleted or replaced after it was chosen still rings), and its layout is
// checked once, when it is opened.
class WavFile {
public:
    // The first of `paths` that exists, opened without waiting (a FIFO's open waits
    // for a writer); nullptr, with the reason in `why`, for anything but a regular
    // file with a sound we play. Its open and reads may block on a hung network
    // folder: never called on the GUI thread, the sound's thread or the device's.
    static std::shared_ptr<const WavFile> open(const std::vector<std::string>& paths,
                                               std::string& why);
    ~WavFile();
    WavFile(const WavFile&) = delete;
    WavFile& operator=(const WavFile&) = delete;

    const WavLayout& layout() const { return m_layout; }
    // Reads up to `count` bytes at `offset`; returns how many it read.
    std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t count) const;

private:
    explicit WavFile(int fd) : m_fd(fd) {}

    const int m_fd;
    WavLayout m_layout;
};
