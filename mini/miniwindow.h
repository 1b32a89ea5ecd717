#pragma once

#include <QPoint>
#include <QWidget>

#include <optional>

class Platform;
class QAction;
class QLabel;
class QMenu;
class TImage;

// The mini timer "タイマくん": a borderless window with the clock icon over the
// time, moved by any point of it, worked by its right-button menu. The main
// window's tick flips its icons and writes its label.
class TForm4 : public QWidget {
    Q_OBJECT
public:
    explicit TForm4(Platform& platform);
    ~TForm4() override;

    TImage* ImgTimer1;
    QMenu* PopTimer;
    QAction* Open1;
    QAction* Stop1;
    TImage* ImgTimer2;
    TImage* ImgTimer3;
    QLabel* LblTimer;
    QAction* N1;
    QAction* Exit;

    bool MiniMode = false;

    void FormShow();
    void Open1Click();
    void ExitClick();
    void PopTimerPopup();
    void Stop1Click();
    void ImgTimer3Click();

    void setColours(const QColor& background, const QColor& text);
    // The point where the menu opens: 10 pixels right of and below the window's corner.
    QPoint popupPoint() const;
    // Opens PopTimer at its point, from the right button or the keyboard.
    void openPopTimer();

    static constexpr int kFrame = 2;
    static constexpr int kClientWidth = 34;
    static constexpr int kClientHeight = 46;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    Platform& m_platform;
    bool m_shownOnce = false;
    // While a left drag moves the window by itself: the pointer's offset from the
    // window's corner.
    std::optional<QPoint> m_dragOffset;
};

extern TForm4* Form4;
