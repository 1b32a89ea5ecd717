#pragma once

#include <QImage>

// The pictures behind the clock faces, drawn pixel by pixel so that the committed
// files can be regenerated and checked: 128 by 128, 8 bits per pixel, 256-entry
// palette.

// White disc (columns and rows 6 to 120 about pixel 63,63) on black.
QImage drawDialMask();

// White dial with a red ring 3 pixels wide along the disc's edge and the black
// numerals 1 to 12.
QImage drawDial();
