#include "mini/miniwindow.h"

#include "app/fonts.h"
#include "app/handlerguard.h"
#include "app/placement.h"
#include "app/programimage.h"
#include "app/titlebar.h"
#include "clock/mainwindow.h"
#include "controls/imagecontrol.h"
#include "controls/timelabel.h"

#include <qdrawutil.h>
#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

TForm4* Form4 = nullptr;

namespace {

TImage* icon(QWidget* parent, const QString& name, bool visible) {
    auto* image = new TImage(parent);
    image->setGeometry(TForm4::kFrame + 1, TForm4::kFrame, 32, 32);
    image->setPicture(programImage(name));
    // Presses anywhere belong to the window: they move it or open its menu.
    image->setAttribute(Qt::WA_TransparentForMouseEvents);
    image->setVisible(visible);
    return image;
}

}  // namespace

TForm4::TForm4(Platform& platform) : m_platform(platform) {
    Form4 = this;
    setWindowTitle(QStringLiteral("タイマくん"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setFixedSize(kClientWidth + 2 * kFrame, kClientHeight + 2 * kFrame);
    setAutoFillBackground(true);

    ImgTimer1 = icon(this, QStringLiteral("mainicon"), true);
    PopTimer = new QMenu(this);
    Open1 = PopTimer->addAction(QStringLiteral("開く"));
    Stop1 = PopTimer->addAction(QStringLiteral("アラームＯＦＦ"));
    ImgTimer2 = icon(this, QStringLiteral("timer2"), false);
    ImgTimer3 = icon(this, QStringLiteral("timer3"), false);
    LblTimer = new TimeLabel(QStringLiteral("00:00"), this);
    LblTimer->setGeometry(kFrame, kFrame + 32, 34, 14);
    LblTimer->setFont(msGothic(12, true));
    LblTimer->setAutoFillBackground(true);
    LblTimer->setAttribute(Qt::WA_TransparentForMouseEvents);
    N1 = PopTimer->addSeparator();
    Exit = PopTimer->addAction(QStringLiteral("終了"));
    setColours(Qt::black, QColor(0, 255, 0));
    keepNormalState(this);

    connect(PopTimer, &QMenu::aboutToShow, this,
            guardedSlot(m_platform, this, &TForm4::PopTimerPopup));
    connect(Open1, &QAction::triggered, this, guardedSlot(m_platform, this, &TForm4::Open1Click));
    connect(Stop1, &QAction::triggered, this, guardedSlot(m_platform, this, &TForm4::Stop1Click));
    connect(Exit, &QAction::triggered, this, guardedSlot(m_platform, this, &TForm4::ExitClick));
}

TForm4::~TForm4() {
    if (Form4 == this) Form4 = nullptr;
}

void TForm4::setColours(const QColor& background, const QColor& text) {
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, background);
    setPalette(palette);
    QPalette labelPalette = LblTimer->palette();
    labelPalette.setColor(QPalette::Window, background);
    labelPalette.setColor(QPalette::WindowText, text);
    LblTimer->setPalette(labelPalette);
}

QPoint TForm4::popupPoint() const {
    // From the window itself: on Wayland only the desktop knows where it stands,
    // and a menu is placed relative to its window.
    return mapToGlobal(QPoint(10, 10));
}

void TForm4::FormShow() {
    MiniMode = true;
    Form1->hide();
    ImgTimer1->show();
    ImgTimer2->hide();
    ImgTimer3->hide();
}

void TForm4::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    guarded(m_platform, [this] { FormShow(); });
    if (m_shownOnce) return;
    m_shownOnce = true;
    centreOnScreen(this);
}

void TForm4::closeEvent(QCloseEvent* event) {
    // Closed some other way (the desktop's own close): the main window must
    // come back, or the program would be left without a window.
    if (MiniMode) {
        MiniMode = false;
        Form1->show();
    }
    QWidget::closeEvent(event);
}

void TForm4::Open1Click() {
    ImgTimer3Click();
    Form1->show();
    Form1->raise();
    MiniMode = false;
    close();
}

void TForm4::ExitClick() {
    Form1->ExitRequested = true;
    Form1->show();
    MiniMode = false;
    close();
}

void TForm4::PopTimerPopup() {
    Stop1->setEnabled(Form1->switchIsOn());
    Exit->setEnabled(!Form1->Ringing);
}

void TForm4::Stop1Click() {
    Stop1->setEnabled(false);
    Form1->BtnSetClick();
}

void TForm4::ImgTimer3Click() {
    if (Form1->Ringing) Stop1Click();
}

void TForm4::paintEvent(QPaintEvent*) {
    // A plain raised frame around the client area; it does not resize.
    QPainter painter(this);
    qDrawWinPanel(&painter, rect(), palette(), false);
    painter.fillRect(rect().adjusted(kFrame, kFrame, -kFrame, -kFrame),
                     palette().color(QPalette::Window));
}

void TForm4::openPopTimer() {
    if (!PopTimer->isVisible()) PopTimer->popup(popupPoint());
}

void TForm4::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        openPopTimer();
        return;
    }
    const QRect client = rect().adjusted(kFrame, kFrame, -kFrame, -kFrame);
    if (event->button() != Qt::LeftButton || !client.contains(event->position().toPoint())) return;
    QWindow* window = windowHandle();
    if (window && window->startSystemMove()) return;
    // No window manager to do it (a bare X11 session): the drag moves the window.
    m_dragOffset = event->globalPosition().toPoint() - pos();
}

void TForm4::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragOffset && (event->buttons() & Qt::LeftButton))
        move(event->globalPosition().toPoint() - *m_dragOffset);
}

void TForm4::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) m_dragOffset.reset();
}

void TForm4::keyPressEvent(QKeyEvent* event) {
    const bool menuKey = event->key() == Qt::Key_Menu ||
                         (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier);
    if (!menuKey) {
        QWidget::keyPressEvent(event);
        return;
    }
    openPopTimer();
}
