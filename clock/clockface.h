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

// Loads both pictures from the compiled-in resources, in their stored palette form
// (a quarter of RGB32's size): they are read only to draw a window colour's blank face.
ClockPictures loadClockPictures();

// A blank 128 by 128 Format_RGB32 image, as a face control creates on first use.
QImage newFaceImage();

// DrawFace: fill with the window colour, OR the mask, AND the dial.
void drawFace(QImage& bk, const ClockPictures& pictures, QColor windowColour);

// DrawFace's picture for one window colour, drawn again only when the colour or a
// picture changes: faces are redrawn at each minute and on every drag step.
class BlankFace {
public:
    const QImage& get(const ClockPictures& pictures, QColor windowColour);

private:
    QImage m_face;
    qint64 m_tokeiKey = 0;
    qint64 m_maskKey = 0;
    QRgb m_colour = 0;
};

// Black hands from the pivot, round caps, no antialiasing (hour first, then minute).
void drawHands(QImage& bk, int hour, int minute);

// Whether two faces drawn here show the same pixels; quicker than QImage's own
// comparison, which masks every pixel of an RGB32 image.
bool sameFace(const QImage& first, const QImage& second);
