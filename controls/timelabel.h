#pragma once

#include <QLabel>

// A label of one short line, aligned left and centred vertically, that draws its text
// straight at its baseline. A QLabel lays its text out for line breaks and mnemonics on
// every paint, and an idle clock paints its time once a minute with its caches gone
// cold. It looks exactly as a QLabel does.
class TimeLabel : public QLabel {
    Q_OBJECT
public:
    TimeLabel(const QString& text, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};
