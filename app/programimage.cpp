#include "app/programimage.h"

#include <QString>

namespace xpm {
#include "resources/icons/dmouse.xpm"
#include "resources/icons/mainicon.xpm"
#include "resources/icons/menumore.xpm"
#include "resources/icons/timer2.xpm"
#include "resources/icons/timer3.xpm"
#include "resources/pictures/dial.xpm"
#include "resources/pictures/mask.xpm"
}  // namespace xpm

QImage programImage(QStringView name) {
    const struct {
        const char* name;
        const char* const* data;
    } images[] = {{"dial", xpm::dial},        {"mask", xpm::mask},     {"mainicon", xpm::mainicon},
                  {"timer2", xpm::timer2},    {"timer3", xpm::timer3}, {"dmouse", xpm::dmouse},
                  {"menumore", xpm::menumore}};
    for (const auto& image : images)
        if (name == QLatin1StringView(image.name)) return QImage(image.data);
    return {};
}
