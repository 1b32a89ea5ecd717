#pragma once

#include <QImage>
#include <QWidget>

// An image control: shows its picture at its top-left corner and repaints
// itself whenever the program draws into the picture.
class TImage : public QWidget {
    Q_OBJECT
public:
    explicit TImage(QWidget* parent);

    const QImage& picture() const { return m_picture; }
    void setPicture(const QImage& picture);
    // The drawing surface, created with the control's size on first use.
    QImage& canvas();
    // Call after drawing into canvas().
    void changed() { update(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_picture;
};
