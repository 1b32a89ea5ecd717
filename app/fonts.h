#pragma once

#include <QColor>
#include <QFont>

#include <cstdint>

// The Windows fonts by name, with the IPA and Noto CJK fonts standing in where
// they are missing. Heights are character heights in pixels.
// Which stand-ins are installed is asked once; findStandInFonts asks ahead, on any thread.
void findStandInFonts();
QFont msPGothic(int pixelHeight, bool bold = false);
QFont msGothic(int pixelHeight, bool bold = false);
QFont msPMincho(int pixelHeight, bool bold = false);

// The program's own texts are drawn unshaped. Text the user gives, such as a
// file name, is shaped whenever it needs it: scripts that join or reorder their
// letters, combining marks, joiners.
bool needsShaping(QStringView text);
QFont shapedWhenNeeded(QFont font, QStringView text);

// Colours are kept as 0x00BBGGRR, blue in the high byte.
inline QColor colorFromBGR(std::uint32_t bgr) {
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}
