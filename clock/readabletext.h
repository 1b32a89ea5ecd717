#pragma once

#include <QPalette>

class QWidget;

// Gives a control the text colour the layout gives (black, or the desktop's own
// where it names the system colour) where it reads on the control's background in
// `look`, else one that does.
void setReadableText(QWidget* control, const QPalette& look, QPalette::ColorRole text,
                     QPalette::ColorRole background, bool layoutBlack = true);
