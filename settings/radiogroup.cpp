#include "settings/radiogroup.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QRadioButton>

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& items, int columns,
                         QWidget* parent)
    : QGroupBox(caption, parent),
      m_buttons(new QButtonGroup(this)),
      m_count(int(items.size())),
      m_columns(columns) {
    for (int i = 0; i < m_count; ++i) m_buttons->addButton(new QRadioButton(items[i], this), i);
    placeItems();
}

int TRadioGroup::itemIndex() const {
    return m_buttons->checkedId();
}

void TRadioGroup::setItemIndex(int index) {
    index = std::clamp(index, -1, m_count - 1);
    if (index < 0) {
        m_buttons->setExclusive(false);
        for (QAbstractButton* button : m_buttons->buttons()) button->setChecked(false);
        m_buttons->setExclusive(true);
        return;
    }
    m_buttons->button(index)->setChecked(true);
}

void TRadioGroup::resizeEvent(QResizeEvent* event) {
    QGroupBox::resizeEvent(event);
    placeItems();
}

void TRadioGroup::placeItems() {
    const int rows = (m_count + m_columns - 1) / m_columns;
    const QRect area = contentsRect().adjusted(8, 0, -2, -2);
    if (rows == 0 || area.width() <= 0) return;
    const int columnWidth = area.width() / m_columns;
    const int rowHeight = area.height() / rows;
    for (int i = 0; i < m_count; ++i) {
        const int column = i / rows;
        const int row = i % rows;
        m_buttons->button(i)->setGeometry(area.left() + column * columnWidth,
                                          area.top() + row * rowHeight, columnWidth - 2, rowHeight);
    }
}
