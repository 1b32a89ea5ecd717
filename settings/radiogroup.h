#pragma once

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;

// A radio group whose selection is an item index; -1 is no item selected.
// Items run in columns, filled column by column.
class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    TRadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent);

    int itemIndex() const;
    // Values below -1 become -1 and values beyond the last item the last item.
    void setItemIndex(int index);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeItems();

    QButtonGroup* m_buttons;
    int m_count;
    int m_columns;
};
