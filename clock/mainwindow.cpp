#include "clock/mainwindow.h"

#include "app/convert.h"
#include "app/cursors.h"
#include "app/errors.h"
#include "app/fonts.h"
#include "app/handlerguard.h"
#include "app/hintcontroller.h"
#include "app/menukeys.h"
#include "app/placement.h"
#include "app/platform.h"
#include "app/ticktimer.h"
#include "app/titlebar.h"
#include "clock/clockjump.h"
#include "clock/dragsector.h"
#include "clock/fixeditemheight.h"
#include "clock/imagecontrol.h"
#include "clock/shapecontrol.h"
#include "clock/textcontrast.h"
#include "clock/typedlengthlimit.h"
#include "mini/miniwindow.h"
#include "settings/aboutwindow.h"
#include "settings/colourscheme.h"
#include "settings/inifile.h"
#include "settings/radiogroup.h"
#include "settings/settingslocation.h"
#include "settings/settingswindow.h"
#include "settings/textencoding.h"
#include "settings/wavpath.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>

#include <cstdio>
#include <utility>

TForm1* Form1 = nullptr;

namespace {

constexpr std::uint32_t kRed = 0x0000FF;
constexpr std::uint32_t kMaroon = 0x000080;
constexpr int kLeverTopOn = 168;
constexpr int kLeverTopOff = 184;
constexpr int kPrepareSecond = 58;
const char* const kSection = "SETUP";
const char* const kDefaultWav = "c:\\windows\\media\\tada.wav";

QLabel* timeLabel(QWidget* parent, const QRect& place, const QString& hint) {
    auto* label = new QLabel(QStringLiteral("24:00"), parent);
    label->setGeometry(place);
    label->setFont(msGothic(21, true));
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::WindowText, QColor(0, 255, 0));
    label->setPalette(palette);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
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

// The minute after `now` as the clock shows it ("HH:MM").
TimeText comingMinute(const LocalTime& now) {
    const int minutes = (now.hour * 60 + now.minute + 1) % (24 * 60);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d", minutes / 60, minutes % 60);
    return TimeText(text);
}

TImage* hiddenImage(QWidget* parent, const QRect& place) {
    auto* image = new TImage(parent);
    image->setGeometry(place);
    image->hide();
    return image;
}

}  // namespace

TForm1::TForm1(Platform& platform) : m_platform(platform) {
    Form1 = this;
    setWindowTitle(QStringLiteral("ぴぴろん"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFont(msPGothic(12));
    createControls();
    createMenu();
    bindEvents();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    TitleBar::install(this, TitleBar::Buttons::Close);
    run([this] { FormCreate(); });
}

TForm1::~TForm1() {
    if (Form1 == this) Form1 = nullptr;
}

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

    Memo1 = new QPlainTextEdit(client);
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
    Memo1->hide();

    Timer1 = m_platform.createTickTimer(this);

    setTabOrder(BtnSet, BtnDown);
    setTabOrder(BtnDown, BtnUp);
    setTabOrder(BtnUp, Btn5Down);
    setTabOrder(Btn5Down, Btn5Up);
    setTabOrder(Btn5Up, ComboBox1);
    followWindowColours();
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

template <typename Handler>
void TForm1::run(Handler&& handler) {
    guarded(m_platform, std::forward<Handler>(handler));
}

void TForm1::bindEvents() {
    connect(Timer1, &TickTimer::timeout, this, &TForm1::tick);
    connect(BtnUp, &QPushButton::clicked, this, [this] { run([this] { BtnUpClick(); }); });
    connect(BtnDown, &QPushButton::clicked, this, [this] { run([this] { BtnDownClick(); }); });
    connect(Btn5Up, &QPushButton::clicked, this, [this] { run([this] { Btn5UpClick(); }); });
    connect(Btn5Down, &QPushButton::clicked, this, [this] { run([this] { Btn5DownClick(); }); });
    connect(BtnSet, &QPushButton::clicked, this, [this] { run([this] { BtnSetClick(); }); });
    connect(ShapeSet, &TShape::mousePressed, this,
            [this](Qt::MouseButton b, int x, int y) { run([&] { ShapeSetMouseDown(b, x, y); }); });
    connect(ShapeSet, &TShape::mouseMoved, this,
            [this](int x, int y) { run([&] { ShapeSetMouseMove(x, y); }); });
    connect(ShapeSet, &TShape::mouseReleased, this,
            [this](Qt::MouseButton, int, int) { run([this] { ShapeSetMouseUp(); }); });
    // Only what the user does runs the change handler; text the program sets does not.
    connect(ComboBox1->lineEdit(), &QLineEdit::textEdited, this,
            [this](const QString&) { run([this] { ComboBox1Change(); }); });
    connect(ComboBox1, &QComboBox::activated, this,
            [this](int) { run([this] { ComboBox1Change(); }); });
    ComboBox1->installEventFilter(this);
    BtnSet->installEventFilter(this);
    connect(Mini, &QAction::triggered, this, [this] { run([this] { MiniClick(); }); });
    connect(Setting, &QAction::triggered, this, [this] { run([this] { SettingClick(); }); });
    connect(K5, &QAction::triggered, this, [this] { run([this] { K5Click(); }); });
    connect(About1, &QAction::triggered, this, [this] { run([this] { About1Click(); }); });
    connect(Exit1, &QAction::triggered, this, [this] { run([this] { Exit1Click(); }); });
    m_platform.currentWindow = [this]() -> QWidget* {
        if (Form4 && Form4->MiniMode) return Form4;
        return this;
    };
    m_platform.onAlarmOffRequested = [this] {
        run([this] {
            if (switchIsOn()) BtnSetClick();
        });
    };
}

// ---- start-up and shutdown ----

void TForm1::FormCreate() {
    HintController::instance().setPause(100);
    registerResourceCursor(1, QStringLiteral("DMOUSE"));
    applyCursor(ShapeSet, 1);
    ClockRect = QRect(0, 0, 128, 128);
    Dragging = false;
    ExitRequested = false;
    Ringing = false;
    Timer1Timer();
    scheduleTick();
    AlarmTime = NowTime;
    LblSet->setText(QString::fromStdString(AlarmTime.str()));
    copyFace(ImgSet->canvas(), ImgNow->canvas());
    ImgSet->changed();
    ShowSwitch(false);
    BtnSet->setFocus();
}

void TForm1::Exit1Click() {
    close();
}

void TForm1::FormCloseQuery(bool& canClose) {
    if (switchIsOn()) {
        m_platform.messageBeep(48);
        if (!m_platform.confirmWarning(
                QStringLiteral("アラームスイッチがＯＮですが終了してよろしいですか")))
            canClose = false;
    }
    if (canClose) SaveSettings();
}

bool TForm1::closeQueryAllows() {
    bool canClose = true;
    return guarded(m_platform, [&] { FormCloseQuery(canClose); }) && canClose;
}

void TForm1::endSession(bool settingsSaved) {
    if (m_ending) return;
    m_ending = true;
    if (!settingsSaved) {
        try {
            SaveSettings();
        } catch (...) {
        }
    }
    m_platform.quit();
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (m_ending) {
        event->accept();
        return;
    }
    if (closeQueryAllows()) {
        event->accept();
        m_platform.quit();
    } else {
        event->ignore();
    }
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_shownOnce) return;
    m_shownOnce = true;
    centreOnScreen(this);
}

bool TForm1::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::LocaleChange:
            timeLocale = TimeLocale{};
            break;
        case QEvent::PaletteChange:
        case QEvent::StyleChange:
        case QEvent::ApplicationPaletteChange:
            // Once every control has taken the new look: a style sheet reaches them one by one.
            if (m_coloursPending) break;
            m_coloursPending = true;
            QMetaObject::invokeMethod(
                this,
                [this] {
                    m_coloursPending = false;
                    run([this] { followWindowColours(); });
                },
                Qt::QueuedConnection);
            break;
        default:
            break;
    }
    return QMainWindow::event(event);
}

namespace {

std::uint32_t rgbOf(const QColor& colour) {
    return colour.rgb() & 0xFFFFFFu;
}

// The text colour the layout gives (black, or the desktop's own where it names the
// system colour) where it reads on the control's background, else one that does.
void setReadableText(QWidget* control, const QPalette& look, QPalette::ColorRole text,
                     QPalette::ColorRole background, bool layoutBlack = true) {
    const std::uint32_t desktopText = rgbOf(look.color(text));
    const QColor colour = QColor::fromRgb(readableTextColour(
        layoutBlack ? 0x000000 : desktopText, desktopText, rgbOf(look.color(background))));
    QPalette palette = control->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive})
        palette.setColor(group, text, colour);
    control->setPalette(palette);
}

}  // namespace

void TForm1::followWindowColours() {
    const QPalette& look = palette();
    for (QWidget* caption : {Label1, Label2})
        setReadableText(caption, look, QPalette::WindowText, QPalette::Window);
    for (QWidget* step : {BtnDown, BtnUp, Btn5Down, Btn5Up})
        setReadableText(step, look, QPalette::ButtonText, QPalette::Button);
    setReadableText(ComboBox1, look, QPalette::Text, QPalette::Base);
    setReadableText(BtnSet, look, QPalette::ButtonText, QPalette::Button, false);
    const QColor darkShadow = look.color(QPalette::Shadow);
    Shape1->setBrushColor(darkShadow);
    Shape1->setPen(darkShadow, 1);
    // Both faces stand on the window colour: the left shows ShownTime, the right AlarmTime.
    for (const auto& [setFace, time] : {std::pair{false, ShownTime}, std::pair{true, AlarmTime}}) {
        try {
            DrawClock(setFace, time);
        } catch (const EConvertError&) {
            // Nothing drawn yet, or a time that cannot be drawn: the face stays as it is.
        }
    }
}

// ---- the tick and the switch ----

void TForm1::tick() {
    run([this] { Timer1Timer(); });
    // The sound of an armed alarm is made ready in the last seconds before its
    // minute, so that the ring is heard at its first tick.
    if (m_read.second >= kPrepareSecond && switchIsOn() && comingMinute(m_read) == AlarmTime)
        MediaPlayer.prepare();
    if (Timer1->isActive()) scheduleTick();
}

void TForm1::scheduleTick() {
    // Planned from the tick's own reading: a deadline that has passed by the time
    // it is set fires at once, so no second that matters is skipped.
    const TForm4* mini = Form4;
    // Hopping while ON, and once more after the switch went OFF to come to rest.
    const bool iconsMove = mini && mini->MiniMode &&
                           (switchIsOn() || mini->ImgTimer1->isHidden() ||
                            !mini->ImgTimer2->isHidden() || !mini->ImgTimer3->isHidden());
    // With the switch OFF the alarm minute shows nothing new from second to second.
    const bool ringing = NowTime == AlarmTime && switchIsOn();
    int wait = 60 - m_read.second;
    if (ringing || iconsMove)
        wait = 1;
    else if (switchIsOn() && m_read.second < kPrepareSecond && comingMinute(m_read) == AlarmTime)
        wait = kPrepareSecond - m_read.second;
    Timer1->startAt(m_read.epochSecond + wait);
}

void TForm1::tickNextSecond() {
    if (Timer1->isActive()) Timer1->startAt(m_platform.localTime().epochSecond + 1);
}

void TForm1::ReadNowTime() {
    const LocalTime now = m_platform.localTime();
    m_read = now;
    m_clock = wallSeconds(now.day, now.hour, now.minute, now.second);
    NowTime = nowTimeFromFormatted(formatTime(timeLocale, now.hour, now.minute, now.second));
}

void TForm1::noticeMissedAlarm() {
    const std::optional<long long> before = std::exchange(m_lastTickClock, m_clock);
    if (!before || !switchIsOn()) return;
    try {
        const auto [hour, minute] = parseTimeText(AlarmTime);
        if (jumpedOverMinute(*before, m_clock, hour * 60 + minute))
            m_platform.alarmMissed(QString::fromStdString(AlarmTime.str()));
    } catch (const EConvertError&) {
        // An alarm time that is no time of day cannot have been passed.
    }
}

void TForm1::Timer1Timer() {
    ReadNowTime();
    // Not made up, but told: the clock jumped over the armed alarm minute.
    noticeMissedAlarm();
    TForm4* mini = Form4;
    const bool miniMode = mini && mini->MiniMode;
    if (miniMode) {
        if (switchIsOn()) {
            const bool restingShown = !mini->ImgTimer1->isHidden();
            mini->ImgTimer1->setVisible(!restingShown);
            mini->ImgTimer2->setVisible(restingShown);
        } else {
            mini->ImgTimer1->show();
            mini->ImgTimer2->hide();
        }
    }
    if (NowTime == ShownTime && !(NowTime == AlarmTime)) return;
    ShownTime = NowTime;
    LblNow->setText(QString::fromStdString(NowTime.str()));
    DrawClock(false, NowTime);
    if (miniMode) {
        mini->LblTimer->setText(QString::fromStdString(NowTime.str()));
        mini->ImgTimer3->hide();
    }
    if (Ringing && !(NowTime == AlarmTime)) {
        Ringing = false;
        if (switchIsOn()) BtnSetClick();
        // It rang its minute out: a trace for a user who was away.
        m_platform.alarmRang(QString::fromStdString(AlarmTime.str()));
    }
    if (!(NowTime == AlarmTime)) return;
    if (!switchIsOn()) return;
    if (!Ringing) m_platform.alarmRinging(QString::fromStdString(AlarmTime.str()));
    Ringing = true;
    if (!WavReady || !MediaPlayer.Play()) m_platform.messageBeep(0);
    if (miniMode && switchIsOn()) {
        if (!mini->ImgTimer1->isHidden()) {
            mini->ImgTimer3->hide();
        } else {
            mini->ImgTimer3->show();
            mini->ImgTimer2->hide();
        }
    }
    m_platform.setForegroundWindow(miniMode ? static_cast<QWidget*>(mini) : this);
}

bool TForm1::switchIsOn() const {
    return BtnSet->text() == QStringLiteral("ON");
}

void TForm1::ShowSwitch(bool on) {
    ComboBox1->setEditText(QStringLiteral("Minute"));
    if (on) {
        BtnSet->setText(QStringLiteral("ON"));
        BtnSet->move(BtnSet->x(), kLeverTopOn);
        ShapeOnOff->setBrushColor(colorFromBGR(kRed));
        m_platform.setAlarmArmed(true);
        tickNextSecond();
        return;
    }
    BtnSet->setText(QStringLiteral("OFF"));
    BtnSet->move(BtnSet->x(), kLeverTopOff);
    ShapeOnOff->setBrushColor(colorFromBGR(kMaroon));
    Ringing = false;
    m_platform.alarmSilenced();
    m_platform.setAlarmArmed(false);
    tickNextSecond();
    if (WavReady) {
        MediaPlayer.Stop();
        MediaPlayer.SeekToStart();
    }
}

void TForm1::setSettingControlsEnabled(bool enabled) {
    for (QWidget* control : {static_cast<QWidget*>(ShapeSet), static_cast<QWidget*>(BtnUp),
                             static_cast<QWidget*>(BtnDown), static_cast<QWidget*>(Btn5Up),
                             static_cast<QWidget*>(Btn5Down), static_cast<QWidget*>(ComboBox1)})
        control->setEnabled(enabled);
}

void TForm1::BtnSetClick() {
    if (!switchIsOn()) {
        ShowSwitch(true);
        setSettingControlsEnabled(false);
        ShapeSet->setBrushColor(colorFromBGR(kMaroon));
        if (Form3 && Form3->CheckTop->isChecked()) MiniClick();
        return;
    }
    ShowSwitch(false);
    setSettingControlsEnabled(true);
    ShapeSet->setBrushColor(colorFromBGR(kRed));
}

// ---- the faces ----

void TForm1::DrawFace() {
    drawFace(ImgBK->canvas(), ClockPictures{ImgTokei->picture(), ImgMask->picture()},
             palette().color(QPalette::Window));
}

void TForm1::DrawClock(bool setFace, const TimeText& time) {
    auto [hour, minute] = parseTimeText(time);
    if (hour > 11) hour -= 12;
    DrawFace();
    drawHands(ImgBK->canvas(), hour, minute);
    TImage* face = setFace ? ImgSet : ImgNow;
    // An unchanged face is not pushed to the screen again.
    if (face->picture() == ImgBK->canvas()) return;
    copyFace(face->canvas(), ImgBK->canvas());
    face->changed();
}

// ---- setting the alarm time ----

void TForm1::StepAlarm(bool forward) {
    AlarmTime = stepAlarmTime(AlarmTime, forward);
}

void TForm1::refreshAlarm() {
    LblSet->setText(QString::fromStdString(AlarmTime.str()));
    DrawClock(true, AlarmTime);
}

void TForm1::BtnUpClick() {
    StepAlarm(true);
    refreshAlarm();
}

void TForm1::BtnDownClick() {
    StepAlarm(false);
    refreshAlarm();
}

void TForm1::Btn5UpClick() {
    for (int i = 0; i < 5; ++i) StepAlarm(true);
    refreshAlarm();
}

void TForm1::Btn5DownClick() {
    for (int i = 0; i < 5; ++i) StepAlarm(false);
    refreshAlarm();
}

int TForm1::DragSector(int x, int y) const {
    return dragSector(x - DragStartX, y - DragStartY);
}

void TForm1::ShapeSetMouseDown(Qt::MouseButton button, int x, int y) {
    if (button != Qt::LeftButton) return;
    if (Form3 && Form3->CheckHint->isChecked()) {
        Memo1->show();
        Memo1->raise();
    }
    Dragging = true;
    LastSector = 0;
    DragStartX = x;
    DragStartY = y;
    bool stepped = false;
    while (!AlarmTime.empty() && AlarmTime.str().back() != '0') {
        StepAlarm(true);
        stepped = true;
    }
    if (stepped) refreshAlarm();
}

void TForm1::ShapeSetMouseUp() {
    Dragging = false;
    Memo1->hide();
}

void TForm1::ShapeSetMouseMove(int x, int y) {
    if (!Dragging) return;
    const int sector = DragSector(x, y);
    if (LastSector == 0) LastSector = sector;
    if (sector == LastSector) return;
    const bool forward = sectorStepIsForward(LastSector, sector);
    // The sector is taken even if a step fails, so one move is one change.
    LastSector = sector;
    for (int i = 0; i < 10; ++i) StepAlarm(forward);
    refreshAlarm();
}

void TForm1::ComboBox1Change() {
    QString text = ComboBox1->currentText();
    if (text.isEmpty()) return;
    if (text == QStringLiteral("now")) {
        ComboBox1->setEditText(QStringLiteral("0"));
        text = ComboBox1->currentText();
    }
    const auto value = tryStrToInt(text.toStdString());
    if (!value) {
        ComboBox1->setEditText(QString());
        return;
    }
    if (*value < -3600 || *value > 3600) return;
    AlarmTime = NowTime;
    for (int i = 0; i < *value; ++i) StepAlarm(true);
    refreshAlarm();
}

void TForm1::ComboBox1KeyPress(char key) {
    if (key == '\r') BtnSetClick();
}

void TForm1::FormKeyPress(char& key) {
    if (key == '\r') BtnSetClick();
    key = 0;
}

namespace {

// The character a key press types, as the classic key-press handlers see it; 0
// for keys that move the focus or work a shortcut, which keep their meaning.
char typedCharacter(const QKeyEvent* event) {
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return 0;
    if (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) return 0;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) return '\r';
    const QString text = event->text();
    if (text.size() == 1 && text.at(0).unicode() < 0x80) return char(text.at(0).unicode());
    return text.isEmpty() ? 0 : '?';
}

}  // namespace

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == BtnSet) {
            // Space belongs to the button itself (its own click); every typed
            // character goes to the window's key handler, which swallows it.
            char c = typedCharacter(key);
            if (c == 0 || c == ' ') return false;
            run([&] { FormKeyPress(c); });
            return true;
        }
        if (watched == ComboBox1 && typedCharacter(key) == '\r') {
            run([this] { ComboBox1KeyPress('\r'); });
            return true;
        }
        if ((watched == K4 || watched == MainMenu1) && key->key() == Qt::Key_F1) {
            run([this] { m_platform.showHelp(m_helpFile, 1, 0); });
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::keyPressEvent(QKeyEvent* event) {
    // Key preview is off: only keys typed to the window itself come here.
    QWidget* focus = focusWidget();
    if (focus && focus != this && focus != centralWidget()) {
        QMainWindow::keyPressEvent(event);
        return;
    }
    char c = typedCharacter(event);
    if (c == 0) {
        QMainWindow::keyPressEvent(event);
        return;
    }
    run([&] { FormKeyPress(c); });
}

// ---- mini timer, settings, about, help ----

void TForm1::MiniClick() {
    Form4->LblTimer->setText(QString::fromStdString(NowTime.str()));
    // The next tick finds the mini timer showing, and its icons hop if the switch is ON.
    tickNextSecond();
    m_platform.showModal(Form4);
    if (ExitRequested) {
        // Acted on once: a declined close must not end the program the next time
        // the mini window closes for another reason.
        ExitRequested = false;
        close();
    }
}

void TForm1::SettingClick() {
    m_platform.showModal(Form3);
    WavReady = ApplySettings();
    // A sound opened in the last seconds before the alarm is made ready too.
    tickNextSecond();
}

void TForm1::About1Click() {
    m_platform.showModal(Form2);
}

void TForm1::K5Click() {
    m_platform.showHelp(m_helpFile, 3, 0);
}

SettingsFiles TForm1::settingsFiles() const {
    return settingsFilesFor(m_platform.executablePath().toStdString());
}

// The bytes read for WAVFILE stand for the file as long as the text shown for
// them is not edited: a name in Shift-JIS is a name of those bytes on the disk.
std::string TForm1::wavFileBytes() const {
    const QString text = Form3->EdtWav->text();
    return text == m_wavShown ? m_wavBytes : text.toStdString();
}

QString TForm1::helpFilePath() const {
    return m_helpFile;
}

void TForm1::LoadSettings() {
    const SettingsFiles files = settingsFiles();
    // Which file is in use is not obvious once the program is installed.
    Form2->setToolTip(QStringLiteral("設定ファイル: %1").arg(QString::fromStdString(files.path)));
    {
        const TIniFile ini(files.path, files.carriedFrom);
        // Read as missing, and so never written over: the user is told why.
        const std::string tooLarge = ini.tooLargeFile();
        m_settingsRefused = tooLarge == files.path;
        if (!tooLarge.empty())
            m_platform.showMessage(
                QStringLiteral("%1 は設定ファイルとしては大きすぎるため (%2 MB 超) "
                               "読み込みません\r\n既定の設定を使い、このファイルは書き換えません")
                    .arg(QString::fromStdString(tooLarge))
                    .arg(TIniFile::kMaxFileSize >> 20));
        Form3->CheckHint->setChecked(ini.ReadBool(kSection, "HINT", true));
        Form3->CheckTop->setChecked(ini.ReadBool(kSection, "MINI", false));
        Form3->RGColor->setItemIndex(ini.ReadInteger(kSection, "COLOR", 2));
        m_wavBytes = ini.ReadString(kSection, "WAVFILE", kDefaultWav);
        Form3->EdtWav->setText(QString::fromStdString(readableText(m_wavBytes)));
        m_wavShown = Form3->EdtWav->text();
    }
    WavReady = ApplySettings();
    m_platform.setApplicationTitle(QStringLiteral("ぴぴろん"));
    m_helpFile = QString::fromStdString(helpFileFor(m_platform.executablePath().toStdString()));
}

bool TForm1::ApplySettings() {
    HintController::instance().setEnabled(Form3->CheckHint->isChecked());
    if (const auto scheme = colourScheme(Form3->RGColor->itemIndex()))
        Form4->setColours(colorFromBGR(scheme->background), colorFromBGR(scheme->text));
    try {
        const std::vector<std::string> paths =
            wavFileCandidates(wavFileBytes(), m_platform.executablePath().toStdString());
        MediaPlayer.FileName = paths.front();
        MediaPlayer.OtherNames.assign(paths.begin() + 1, paths.end());
        MediaPlayer.Open();
        return true;
    } catch (const EMCIDeviceError&) {
        // Only the sound's own failure; any other error goes to the error box.
        // The old sound is closed: ticks inside the message box beep already.
        WavReady = false;
        m_platform.messageBeep(48);
        m_platform.showMessage(
            QStringLiteral("ファイルが見つかりません\r\nMessageBeepを使用します"));
        return false;
    }
}

void TForm1::SaveSettings() {
    if (m_settingsRefused) return;
    const SettingsFiles files = settingsFiles();
    TIniFile ini(files.path, files.carriedFrom);
    ini.WriteBool(kSection, "HINT", Form3->CheckHint->isChecked());
    ini.WriteBool(kSection, "MINI", Form3->CheckTop->isChecked());
    ini.WriteInteger(kSection, "COLOR", Form3->RGColor->itemIndex());
    ini.WriteString(kSection, "WAVFILE", wavFileBytes());
}
