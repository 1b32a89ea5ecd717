#pragma once

#include <QAbstractItemDelegate>
#include <QPointer>

// Items of a fixed height in a list, drawn by the delegate the style chose for it
// (a combo box's drop-down list keeps its look, only its rows change height).
class FixedItemHeight : public QAbstractItemDelegate {
    Q_OBJECT
public:
    FixedItemHeight(QAbstractItemDelegate* drawing, int height, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    QPointer<QAbstractItemDelegate> m_drawing;
    int m_height;
};
