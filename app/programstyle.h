#pragma once

#include <QProxyStyle>

// The desktop's own style, but for the arrows of a menu bar too narrow for its
// menus: the style reads those from PNG files, and reading any file makes Qt load
// every image format plugin it has, at start-up, for a button that never shows.
// And Alt pressed and released puts the keyboard in the menu bar on every desktop:
// the menus have no mnemonics, so that is the keyboard's way in. The item the
// keyboard is on is highlighted, as an open one is.
class ProgramStyle : public QProxyStyle {
public:
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override;
    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option,
                       const QWidget* widget) const override;
};
