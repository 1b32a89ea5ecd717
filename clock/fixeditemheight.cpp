#include "clock/fixeditemheight.h"

FixedItemHeight::FixedItemHeight(QAbstractItemDelegate* drawing, int height, QObject* parent)
    : QAbstractItemDelegate(parent), m_drawing(drawing), m_height(height) {}

void FixedItemHeight::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    if (m_drawing) m_drawing->paint(painter, option, index);
}

QSize FixedItemHeight::sizeHint(const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    const int width = m_drawing ? m_drawing->sizeHint(option, index).width() : 0;
    return QSize(width, m_height);
}
