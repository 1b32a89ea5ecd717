#include "settings/aboutwindow.h"

#include "app/buildinfo.h"
#include "app/fonts.h"
#include "app/programimage.h"
#include "app/placement.h"
#include "app/titlebar.h"
#include "controls/imagecontrol.h"

#include <QLabel>
#include <QPushButton>

TForm2* Form2 = nullptr;

namespace {

QLabel* label(QWidget* parent, const QRect& place, const QFont& font, const QColor& colour,
              const QString& text) {
    auto* label = new QLabel(text, parent);
    label->move(place.topLeft());
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    return label;
}

}  // namespace

TForm2::TForm2() {
    Form2 = this;
    setWindowTitle(QStringLiteral("About"));
    // A dialog frame with no system menu: no close box, only the caption.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(193, 134);
    setFont(msPGothic(12));
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);

    const QColor blue(0, 0, 255);
    LblTitle =
        label(this, QRect(48, 8, 140, 18), msPMincho(18, true), Qt::black, QStringLiteral("Title"));
    Label2 = label(this, QRect(16, 56, 105, 16), msPGothic(16, true), blue,
                   QStringLiteral("開発チーム"));
    Label3 = label(this, QRect(32, 80, 128, 16), msPGothic(16, true), blue,
                   QStringLiteral("Linux フリー版"));
    LblVer = label(this, QRect(88, 32, 102, 16), msPMincho(16, true), Qt::black,
                   QStringLiteral("Version"));
    Image1 = new TImage(this);
    Image1->setGeometry(8, 8, 33, 33);
    Image1->setPicture(programImage(u"mainicon"));
    Button1 = new QPushButton(QStringLiteral("ＯＫ"), this);
    Button1->setGeometry(120, 104, 65, 25);
    Button1->setFont(msPGothic(16, true));
    Button1->setDefault(true);
    LblCopy =
        label(this, QRect(128, 56, 54, 16), msPGothic(16, true), blue, QStringLiteral("Copy"));

    connect(Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
    TitleBar::install(this, TitleBar::Buttons::None);
    FormCreate();
}

TForm2::~TForm2() {
    if (Form2 == this) Form2 = nullptr;
}

void TForm2::FormCreate() {
    LblTitle->setText(QStringLiteral("ぴぴろん"));
    LblVer->setText(QStringLiteral("Version ") + QString::fromLatin1(kProgramVersion));
    LblCopy->setText(QStringLiteral("1997.7"));
}

void TForm2::Button1Click() {
    close();
}

void TForm2::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Sized to their texts only now: measuring them would load the Mincho font,
    // which nothing else needs, into every running copy at start-up.
    for (QLabel* label : {LblTitle, Label2, Label3, LblVer, LblCopy}) label->adjustSize();
    centreOnOwner(this);
    Button1->setFocus();
}
