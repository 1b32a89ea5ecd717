#include "clock/typedlengthlimit.h"

#include <QLineEdit>

TypedLengthLimit::TypedLengthLimit(int limit, QLineEdit* edit)
    : QValidator(edit), m_limit(limit), m_previous(edit->text()) {
    connect(edit, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_previous = text; });
}

QValidator::State TypedLengthLimit::validate(QString& input, int&) const {
    if (input.size() > m_limit && input.size() > m_previous.size()) return Invalid;
    return Acceptable;
}
