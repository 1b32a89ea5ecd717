#include "app/programstyle.h"

#include "app/programimage.h"

#include <QIcon>
#include <QPixmap>
#include <QStyleOptionMenuItem>
#include <QTransform>
#include <QWidget>

QIcon ProgramStyle::standardIcon(StandardPixmap icon, const QStyleOption* option,
                                 const QWidget* widget) const {
    if (icon == SP_ToolBarHorizontalExtensionButton)
        return QIcon(QPixmap::fromImage(programImage(u"menumore")));
    if (icon == SP_ToolBarVerticalExtensionButton)
        return QIcon(
            QPixmap::fromImage(programImage(u"menumore").transformed(QTransform().rotate(90))));
    return QProxyStyle::standardIcon(icon, option, widget);
}

int ProgramStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                            QStyleHintReturn* data) const {
    if (hint == SH_MenuBar_AltKeyNavigation) return 1;
    return QProxyStyle::styleHint(hint, option, widget, data);
}

void ProgramStyle::drawControl(ControlElement element, const QStyleOption* option,
                               QPainter* painter, const QWidget* widget) const {
    // The menu bar has the keyboard focus only while the keyboard walks it.
    if (element == CE_MenuBarItem && widget && widget->hasFocus() &&
        (option->state & State_Selected)) {
        if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option)) {
            QStyleOptionMenuItem walked = *item;
            walked.state |= State_Sunken;
            QProxyStyle::drawControl(element, &walked, painter, widget);
            return;
        }
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}
