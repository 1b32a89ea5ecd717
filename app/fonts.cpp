#include "app/fonts.h"

#include <QStringList>

namespace {

QFont makeFont(const QStringList& families, int pixelHeight, bool bold) {
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferBitmap);
    return font;
}

}  // namespace

QFont msPGothic(int pixelHeight, bool bold) {
    return makeFont({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                     QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")},
                    pixelHeight, bold);
}

QFont msGothic(int pixelHeight, bool bold) {
    return makeFont({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic"),
                     QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP")},
                    pixelHeight, bold);
}

QFont msPMincho(int pixelHeight, bool bold) {
    return makeFont({QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("MS PMincho"),
                     QStringLiteral("IPAPMincho"), QStringLiteral("Noto Serif CJK JP")},
                    pixelHeight, bold);
}
