#include "settings/settingswindow.h"

#include "app/fonts.h"
#include "app/placement.h"
#include "app/titlebar.h"
#include "settings/radiogroup.h"
#include "settings/wavpath.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TForm3* Form3 = nullptr;

TForm3::TForm3() {
    Form3 = this;
    setWindowTitle(QStringLiteral("設定"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(383, 151);
    setFont(msPGothic(12));
    const QFont regular = msPGothic(16);
    const QFont bold = msPGothic(16, true);

    // Created in tab order; the check box lies over the group's frame, so it
    // is made after the group to stand above it.
    EdtWav = new QLineEdit(this);
    EdtWav->setGeometry(192, 64, 185, 24);
    EdtWav->setFont(regular);
    // A sound's name can be in any script. Its text comes after the font: a line
    // edit lays out the text it is made with in the desktop's font first.
    connect(EdtWav, &QLineEdit::textChanged, EdtWav, [this](const QString& text) {
        const QFont font = shapedWhenNeeded(EdtWav->font(), text);
        if (font != EdtWav->font()) EdtWav->setFont(font);
    });
    EdtWav->setText(QString::fromLatin1(kDefaultWavFile));
    CheckHint = new QCheckBox(QStringLiteral("ヒントを表示する"), this);
    CheckHint->setGeometry(208, 16, 145, 17);
    CheckHint->setFont(regular);
    CheckHint->setChecked(true);
    GroupBox1 = new QGroupBox(QStringLiteral("タイマくん"), this);
    GroupBox1->setGeometry(8, 8, 169, 137);
    GroupBox1->setFont(bold);
    RGColor = new TRadioGroup(
        QStringLiteral("バックカラー"),
        {QStringLiteral("黒"), QStringLiteral("白"), QStringLiteral("青"), QStringLiteral("黄")}, 2,
        GroupBox1);
    RGColor->setGeometry(16, 56, 137, 73);
    RGColor->setFont(regular);
    RGColor->setItemIndex(2);
    CheckTop = new QCheckBox(QStringLiteral("スイッチONで閉じる"), this);
    CheckTop->setGeometry(16, 32, 153, 17);
    CheckTop->setFont(regular);
    Label1 = new QLabel(QStringLiteral("ＷＡＶファイル指定"), this);
    Label1->setGeometry(216, 48, 124, 16);
    Label1->setFont(regular);
    BtnOK = new QPushButton(QStringLiteral("OK"), this);
    BtnOK->setGeometry(192, 104, 185, 41);
    BtnOK->setFont(bold);

    setTabOrder(EdtWav, CheckHint);
    setTabOrder(CheckHint, CheckTop);
    setTabOrder(CheckTop, RGColor);
    setTabOrder(RGColor, BtnOK);

    connect(BtnOK, &QPushButton::clicked, this, &TForm3::BtnOKClick);
    TitleBar::install(this, TitleBar::Buttons::Close);
}

TForm3::~TForm3() {
    if (Form3 == this) Form3 = nullptr;
}

void TForm3::BtnOKClick() {
    close();
}

void TForm3::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    centreOnOwner(this);
    EdtWav->setFocus();
}
