#pragma once

#include <QValidator>

class QLineEdit;

// Limits what the user types to a number of characters without cutting longer
// text that the program itself puts in the box (the prompt "Minute"), and
// without refusing deletions from it.
class TypedLengthLimit : public QValidator {
    Q_OBJECT
public:
    TypedLengthLimit(int limit, QLineEdit* edit);
    State validate(QString& input, int& pos) const override;

private:
    int m_limit;
    // The text before the change being validated: the edit already holds the new one.
    QString m_previous;
};
