// The main window's controls and menu, placed as the original's form placed them.

#include "clock/mainwindow.h"

#include "app/convert.h"
#include "app/fonts.h"
#include "app/menukeys.h"
#include "app/platform.h"
#include "clock/fixeditemheight.h"
#include "clock/typedlengthlimit.h"
#include "controls/imagecontrol.h"
#include "controls/shapecontrol.h"
#include "controls/timelabel.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>

namespace {

QLabel* timeLabel(QWidget* parent, const QRect& place, const QString& hint) {
    auto* label = new TimeLabel(QStringLiteral("24:00"), parent);
    label->setGeometry(place);
    label->setFont(msGothic(21, true));
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::WindowText, QColor(0, 255, 0));
    label->setPalette(palette);
    label->setToolTip(hint);
    return label;
}

QLabel* captionLabel(QWidget* parent, const QRect& place, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(place);
    label->setFont(msGothic(13, true));
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QPushButton* stepButton(QWidget* parent, const QRect& place, const QString& caption,
                        const QString& hint) {
    auto* button = new QPushButton(caption, parent);
    button->setGeometry(place);
    button->setFont(msPGothic(16, true));
    button->setToolTip(hint);
    return button;
}

TImage* hiddenImage(QWidget* parent, const QRect& place) {
    auto* image = new TImage(parent);
    image->setGeometry(place);
    image->hide();
    return image;
}

}  // namespace

void TForm1::createControls() {
    auto* client = new QWidget(this);
    client->setFixedSize(256, 222);
    setCentralWidget(client);

    Bevel1 = new QFrame(client);
    Bevel1->setGeometry(8, 160, 89, 57);
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    ImgBK = hiddenImage(client, QRect(128, 0, 128, 128));
    ImgNow = new TImage(client);
    ImgNow->setGeometry(0, 0, 128, 128);
    ImgSet = new TImage(client);
    ImgSet->setGeometry(128, 0, 128, 128);
    ImgSet->setToolTip(QStringLiteral("中心をドラッグして回します"));
    ImgTokei = hiddenImage(client, QRect(0, 128, 8, 8));
    LblNow = timeLabel(client, QRect(32, 128, 65, 25), QStringLiteral("現在時刻"));
    LblSet = timeLabel(client, QRect(160, 128, 65, 25), QStringLiteral("アラーム時刻"));
    ImgMask = hiddenImage(client, QRect(0, 136, 8, 8));
    // The stored dial and mask live in their hidden images, as in the layout.
    const ClockPictures pictures = loadClockPictures();
    ImgTokei->setPicture(pictures.tokei);
    ImgMask->setPicture(pictures.mask);
    Label1 = captionLabel(client, QRect(8, 128, 17, 25), QStringLiteral("現在"));
    Label2 = captionLabel(client, QRect(136, 128, 17, 25), QStringLiteral("設定"));
    ShapeSet = new TShape(TShape::Kind::Circle, client);
    ShapeSet->setGeometry(186, 58, 12, 12);
    ShapeSet->setBrushColor(colorFromBGR(kRed));
    ShapeSet->setPen(Qt::black, 1);
    Shape1 = new TShape(TShape::Kind::Rectangle, client);
    Shape1->setGeometry(24, 168, 17, 41);
    ShapeOnOff = new TShape(TShape::Kind::Circle, client);
    ShapeOnOff->setGeometry(56, 168, 33, 25);
    ShapeOnOff->setBrushColor(colorFromBGR(kMaroon));
    ShapeOnOff->setPen(Qt::black, 2);
    Btn5Down = stepButton(client, QRect(144, 160, 25, 25), QStringLiteral("<5"),
                          QStringLiteral("５分戻す"));
    BtnDown = stepButton(client, QRect(168, 160, 25, 25), QStringLiteral("<1"),
                         QStringLiteral("１分戻す"));
    BtnUp = stepButton(client, QRect(192, 160, 25, 25), QStringLiteral("1>"),
                       QStringLiteral("１分進める"));
    BtnSet = new QPushButton(QStringLiteral("OFF"), client);
    BtnSet->setGeometry(16, kLeverTopOff, 33, 25);
    BtnSet->setFont(msPGothic(11));
    BtnSet->setToolTip(QStringLiteral("アラームスイッチ"));
    Btn5Up = stepButton(client, QRect(216, 160, 25, 25), QStringLiteral("5>"),
                        QStringLiteral("５分進める"));

    ComboBox1 = new QComboBox(client);
    ComboBox1->setGeometry(152, 192, 81, 24);
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->setFont(msPGothic(16, true));
    ComboBox1->addItems({QStringLiteral("now"), QStringLiteral("10"), QStringLiteral("20"),
                         QStringLiteral("30"), QStringLiteral("60"), QStringLiteral("90"),
                         QStringLiteral("120")});
    ComboBox1->setCurrentIndex(-1);
    ComboBox1->setEditText(QString());
    ComboBox1->setCompleter(nullptr);
    ComboBox1->setValidator(new TypedLengthLimit(4, ComboBox1->lineEdit()));
    QAbstractItemView* list = ComboBox1->view();
    list->setItemDelegate(new FixedItemHeight(list->itemDelegate(), 16, ComboBox1));
    ComboBox1->setToolTip(QStringLiteral("現在時刻の？分後にセットする"));

    Timer1 = m_platform.createTickTimer(this);

    setTabOrder(BtnSet, BtnDown);
    setTabOrder(BtnDown, BtnUp);
    setTabOrder(BtnUp, Btn5Down);
    setTabOrder(Btn5Down, Btn5Up);
    setTabOrder(Btn5Up, ComboBox1);
    followWindowColours();
}

// Made the first time the hint shows: most never drag the handle, and the text
// editor's code is a good part of what the window would otherwise hold.
QPlainTextEdit* TForm1::hintMemo() {
    if (Memo1) return Memo1;
    Memo1 = new QPlainTextEdit(centralWidget());
    Memo1->setGeometry(8, 160, 241, 57);
    Memo1->setReadOnly(true);
    Memo1->setFocusPolicy(Qt::NoFocus);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setFont(msPGothic(11));
    Memo1->document()->setDocumentMargin(1);
    QPalette memoPalette = Memo1->palette();
    memoPalette.setColor(QPalette::Base, Qt::white);
    memoPalette.setColor(QPalette::Text, Qt::black);
    Memo1->setPalette(memoPalette);
    Memo1->setPlainText(
        QStringLiteral("***** アラーム時刻をセットします  *****\n"
                       "右回し・・１０分ずつ進めます\n"
                       "左回し・・１０分ずつ戻します\n"
                       "(時計の大きさより大きくまわすのがコツ)"));
    return Memo1;
}

void TForm1::createMenu() {
    MainMenu1 = menuBar();
    Mini = MainMenu1->addAction(QStringLiteral("タイマくん"));
    Setting = MainMenu1->addAction(QStringLiteral("設定"));
    K4 = MainMenu1->addMenu(QStringLiteral("情報"));
    K5 = K4->addAction(QStringLiteral("ヘルプ"));
    About1 = K4->addAction(QStringLiteral("About"));
    Exit1 = MainMenu1->addAction(QStringLiteral("終了"));
    K4->installEventFilter(this);
    MainMenu1->installEventFilter(this);
    auto* menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(menuKey, &QShortcut::activated, MainMenu1,
            [this] { toggleMenuBarKeyboard(MainMenu1); });
}
