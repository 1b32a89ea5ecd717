#include "app/fonts.h"

#include <QStringList>

#include <fontconfig/fontconfig.h>

#include <array>

namespace {

// Whether any installed font answers to `family`, under any of its names.
bool installed(const QString& family) {
    FcPattern* pattern = FcPatternBuild(nullptr, FC_FAMILY, FcTypeString,
                                        family.toUtf8().constData(), static_cast<char*>(nullptr));
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, static_cast<char*>(nullptr));
    FcFontSet* fonts = pattern && objects ? FcFontList(nullptr, pattern, objects) : nullptr;
    const bool found = fonts && fonts->nfont > 0;
    if (fonts) FcFontSetDestroy(fonts);
    if (objects) FcObjectSetDestroy(objects);
    if (pattern) FcPatternDestroy(pattern);
    return found;
}

// The first family of the list that is installed, alone: Qt would settle on it too, but
// only after asking fontconfig for every missing name before it and for that name's
// fallbacks, which costs a few milliseconds per font at start-up. With none installed
// the whole list stays, for fontconfig's aliases to answer.
QStringList firstInstalled(const QStringList& families) {
    for (const QString& family : families)
        if (installed(family)) return {family};
    return families;
}

constexpr auto kUnshaped = QFont::StyleStrategy(QFont::PreferBitmap | QFont::PreferNoShaping);

QFont makeFont(const QStringList& families, int pixelHeight, bool bold) {
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    // The program's Japanese and Latin texts need no shaping: the fonts' own
    // advances place the glyphs, as the original's text output did, and no
    // shaping engine is loaded for them.
    font.setStyleStrategy(kUnshaped);
    return font;
}

enum StandIn { kPGothic, kGothic, kPMincho };

// Each Windows font's families, all found the first time any is asked for.
const std::array<QStringList, 3>& standIns() {
    static const std::array<QStringList, 3> families = {
        firstInstalled({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                        QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")}),
        firstInstalled({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic"),
                        QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP")}),
        firstInstalled({QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("MS PMincho"),
                        QStringLiteral("IPAPMincho"), QStringLiteral("Noto Serif CJK JP")}),
    };
    return families;
}

}  // namespace

void findStandInFonts() {
    standIns();
}

QFont msPGothic(int pixelHeight, bool bold) {
    return makeFont(standIns()[kPGothic], pixelHeight, bold);
}

QFont msGothic(int pixelHeight, bool bold) {
    return makeFont(standIns()[kGothic], pixelHeight, bold);
}

QFont msPMincho(int pixelHeight, bool bold) {
    return makeFont(standIns()[kPMincho], pixelHeight, bold);
}

bool needsShaping(QStringView text) {
    for (const char32_t c : text.toUcs4()) {
        switch (QChar::category(c)) {
        case QChar::Mark_NonSpacing:
        case QChar::Mark_SpacingCombining:
        case QChar::Mark_Enclosing:
            return true;
        default:
            break;
        }
        // Qt shapes some scripts even unasked, but not Arabic, Hebrew, Thai or
        // Myanmar among others: only these are drawn right letter by letter.
        switch (QChar::script(c)) {
        case QChar::Script_Common:
        case QChar::Script_Latin:
        case QChar::Script_Greek:
        case QChar::Script_Cyrillic:
        case QChar::Script_Han:
        case QChar::Script_Hiragana:
        case QChar::Script_Katakana:
            break;
        default:
            return true;
        }
    }
    return false;
}

QFont shapedWhenNeeded(QFont font, QStringView text) {
    font.setStyleStrategy(needsShaping(text) ? QFont::PreferBitmap : kUnshaped);
    return font;
}
