#include "app/programstyle.h"

#include "app/programimage.h"

#include <QIcon>
#include <QPixmap>
#include <QTransform>

QIcon ProgramStyle::standardIcon(StandardPixmap icon, const QStyleOption* option,
                                 const QWidget* widget) const {
    if (icon == SP_ToolBarHorizontalExtensionButton)
        return QIcon(QPixmap::fromImage(programImage(u"menumore")));
    if (icon == SP_ToolBarVerticalExtensionButton)
        return QIcon(
            QPixmap::fromImage(programImage(u"menumore").transformed(QTransform().rotate(90))));
    return QProxyStyle::standardIcon(icon, option, widget);
}
