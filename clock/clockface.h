#pragma once

#include <QColor>
#include <QImage>

// The stored pictures of the dial, 128 by 128: ImgTokei (white dial, red ring,
// black numerals) and ImgMask (white disc on black).
struct ClockPictures {
    QImage tokei;
    QImage mask;
};

inline constexpr int kFaceSize = 128;

// Loads both pictures from the compiled-in resources, as Format_RGB32.
ClockPictures loadClockPictures();

// A blank 128 by 128 Format_RGB32 image, as a face control creates on first use.
QImage newFaceImage();

// DrawFace: fill with the window colour, OR the mask, AND the dial.
void drawFace(QImage& bk, const ClockPictures& pictures, QColor windowColour);

// Black hands from the pivot, round caps, no antialiasing (hour first, then minute).
void drawHands(QImage& bk, int hour, int minute);

// SRCCOPY of the whole ClockRect from one face image to another.
void copyFace(QImage& destination, const QImage& source);
