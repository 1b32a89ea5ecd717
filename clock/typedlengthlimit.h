#pragma once

#include <QValidator>

class QLineEdit;

// The typed-length limit of a classic edit control: what the user types or pastes
// is cut to the room the limit leaves beside the text that stays (a paste of
// "12345" over the selected prompt gives "1234"; no room refuses it). Text the
// program sets is never cut, and deleting from a longer text always works.
class TypedLengthLimit : public QValidator {
    Q_OBJECT
public:
    TypedLengthLimit(int limit, QLineEdit* edit);
    State validate(QString& input, int& pos) const override;

private:
    int m_limit;
    // The text and the length of its selection before the change being validated:
    // the edit already holds the new text, with the selection replaced.
    QString m_previous;
    int m_previousSelection = 0;
};
