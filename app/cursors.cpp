#include "app/cursors.h"

#include "app/programimage.h"

#include <QBitmap>
#include <QCursor>
#include <QImage>
#include <QMap>
#include <QPixmap>
#include <QString>
#include <QWidget>

namespace {

QMap<int, QCursor>& table() {
    static QMap<int, QCursor> cursors;
    return cursors;
}

}  // namespace

void registerResourceCursor(int number, const QString& resourceName) {
    const QImage image = programImage(resourceName.toLower());
    if (image.isNull()) return;
    table().insert(number, QCursor(QPixmap::fromImage(image), 0, 0));
}

void applyCursor(QWidget* control, int number) {
    const auto found = table().constFind(number);
    if (found != table().constEnd())
        control->setCursor(*found);
    else
        control->unsetCursor();
}
