#include "clock/typedlengthlimit.h"

#include <QLineEdit>

TypedLengthLimit::TypedLengthLimit(int limit, QLineEdit* edit)
    : QValidator(edit), m_limit(limit), m_edit(edit)
{
}

QValidator::State TypedLengthLimit::validate(QString& input, int&) const
{
    // The edit still holds the text from before the change here.
    if (input.size() > m_limit && input.size() > m_edit->text().size())
        return Invalid;
    return Acceptable;
}
