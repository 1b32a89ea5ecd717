#include "clock/typedcharacter.h"

#include <QKeyEvent>

char typedCharacter(const QKeyEvent* event) {
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return 0;
    if (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) return 0;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) return '\r';
    const QString text = event->text();
    if (text.size() == 1 && text.at(0).unicode() < 0x80) return char(text.at(0).unicode());
    return text.isEmpty() ? 0 : '?';
}
