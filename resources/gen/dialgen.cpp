// Writes the dial and mask pictures of the clock faces into a folder, as the XPM
// sources that the program compiles in:
//   dialgen resources/pictures
#include "resources/gen/dialpictures.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstdio>

namespace {

// Qt writes the array as "static char *dummy[]"; C++ wants it const and named.
bool writeXpm(const QImage& picture, const QString& path, const char* name) {
    QBuffer text;
    if (!text.open(QIODevice::WriteOnly) || !picture.save(&text, "XPM")) return false;
    QByteArray source = text.data();
    source.replace("static char *dummy[]={",
                   QByteArray("static const char *const ") + name + "[] = {");
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(source) == source.size();
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: dialgen <folder>\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    const bool written =
        writeXpm(drawDial(), folder.filePath(QStringLiteral("dial.xpm")), "dial") &&
        writeXpm(drawDialMask(), folder.filePath(QStringLiteral("mask.xpm")), "mask");
    if (!written) {
        std::fprintf(stderr, "dialgen: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
