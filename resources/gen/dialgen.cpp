// Writes the dial and mask pictures of the clock faces into a folder:
//   dialgen resources/pictures
#include "resources/gen/dialpictures.h"

#include <QDir>
#include <QString>

#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: dialgen <folder>\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    const bool written = drawDial().save(folder.filePath(QStringLiteral("dial.bmp")), "BMP") &&
                         drawDialMask().save(folder.filePath(QStringLiteral("mask.bmp")), "BMP");
    if (!written) {
        std::fprintf(stderr, "dialgen: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
