#include "clock/typedlengthlimit.h"

#include <QLineEdit>

TypedLengthLimit::TypedLengthLimit(int limit, QLineEdit* edit)
    : QValidator(edit), m_limit(limit), m_previous(edit->text()) {
    connect(edit, &QLineEdit::textChanged, this, [this, edit](const QString& text) {
        m_previous = text;
        m_previousSelection = int(edit->selectedText().size());
    });
    connect(edit, &QLineEdit::selectionChanged, this,
            [this, edit] { m_previousSelection = int(edit->selectedText().size()); });
}

QValidator::State TypedLengthLimit::validate(QString& input, int& pos) const {
    // Text the program sets arrives with an empty undo history: it is never cut.
    const auto* edit = qobject_cast<const QLineEdit*>(parent());
    if (!edit || !edit->isUndoAvailable()) return Acceptable;
    const int kept = int(m_previous.size()) - m_previousSelection;
    const int inserted = int(input.size()) - kept;
    if (inserted <= 0 || input.size() <= m_limit) return Acceptable;
    const int room = std::max(0, m_limit - kept);
    if (room == 0) return Invalid;
    // The inserted text ends at the cursor; its tail beyond the room is dropped.
    const int cut = std::min(inserted - room, int(pos));
    input.remove(pos - cut, cut);
    pos -= cut;
    return Acceptable;
}
