#pragma once

#include <QProxyStyle>

// The desktop's own style, but for the arrows of a menu bar too narrow for its
// menus: the style reads those from PNG files, and reading any file makes Qt load
// every image format plugin it has, at start-up, for a button that never shows.
class ProgramStyle : public QProxyStyle {
public:
    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option,
                       const QWidget* widget) const override;
};
