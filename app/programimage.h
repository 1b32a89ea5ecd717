#pragma once

#include <QImage>
#include <QStringView>

// The program's own pictures: the dial and mask of the clock faces ("dial",
// "mask"), the clock icons ("mainicon", "timer2", "timer3") and the hand cursor
// ("dmouse"), and the menu bar's overflow arrows ("menumore"). They are compiled in as XPM data,
// which Qt reads itself, so that showing them loads no image format plugin. A null image for any
// other name.
QImage programImage(QStringView name);
