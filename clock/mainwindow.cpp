#include "clock/mainwindow.h"

#include "app/convert.h"
#include "app/cursors.h"
#include "app/errors.h"
#include "app/fonts.h"
#include "app/handlerguard.h"
#include "app/hintcontroller.h"
#include "app/lookchanges.h"
#include "app/placement.h"
#include "app/platform.h"
#include "app/ticktimer.h"
#include "app/titlebar.h"
#include "clock/clockjump.h"
#include "clock/dragsector.h"
#include "clock/readabletext.h"
#include "clock/typedcharacter.h"
#include "controls/imagecontrol.h"
#include "controls/shapecontrol.h"
#include "mini/miniwindow.h"
#include "settings/aboutwindow.h"
#include "settings/colourscheme.h"
#include "settings/inifile.h"
#include "settings/radiogroup.h"
#include "settings/savedsettings.h"
#include "settings/settingslocation.h"
#include "settings/settingswindow.h"
#include "settings/textencoding.h"
#include "settings/wavpath.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>

#include <utility>

TForm1* Form1 = nullptr;

namespace {

constexpr int kPrepareSecond = 58;

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
    followLookChanges(this, [this] { guarded(m_platform, [this] { followWindowColours(); }); });
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    TitleBar::install(this, TitleBar::Buttons::Close);
    guarded(m_platform, [this] { FormCreate(); });
}

TForm1::~TForm1() {
    if (Form1 == this) Form1 = nullptr;
}

template <typename Sender, typename Signal, typename... Args>
void TForm1::bind(Sender* sender, Signal signal, void (TForm1::*handler)(Args...)) {
    connect(sender, signal, this, guardedSlot(m_platform, this, handler));
}

void TForm1::bindEvents() {
    connect(Timer1, &TickTimer::timeout, this, &TForm1::tick);
    bind(BtnUp, &QPushButton::clicked, &TForm1::BtnUpClick);
    bind(BtnDown, &QPushButton::clicked, &TForm1::BtnDownClick);
    bind(Btn5Up, &QPushButton::clicked, &TForm1::Btn5UpClick);
    bind(Btn5Down, &QPushButton::clicked, &TForm1::Btn5DownClick);
    bind(BtnSet, &QPushButton::clicked, &TForm1::BtnSetClick);
    bind(ShapeSet, &TShape::mousePressed, &TForm1::ShapeSetMouseDown);
    bind(ShapeSet, &TShape::mouseMoved, &TForm1::ShapeSetMouseMove);
    bind(ShapeSet, &TShape::mouseReleased, &TForm1::ShapeSetMouseUp);
    // Only what the user does runs the change handler; text the program sets does not.
    bind(ComboBox1->lineEdit(), &QLineEdit::textEdited, &TForm1::ComboBox1Change);
    bind(ComboBox1, &QComboBox::activated, &TForm1::ComboBox1Change);
    ComboBox1->installEventFilter(this);
    BtnSet->installEventFilter(this);
    bind(Mini, &QAction::triggered, &TForm1::MiniClick);
    bind(Setting, &QAction::triggered, &TForm1::SettingClick);
    bind(K5, &QAction::triggered, &TForm1::K5Click);
    bind(About1, &QAction::triggered, &TForm1::About1Click);
    bind(Exit1, &QAction::triggered, &TForm1::Exit1Click);
    m_platform.currentWindow = [this]() -> QWidget* {
        return Form4 && Form4->MiniMode ? static_cast<QWidget*>(Form4) : this;
    };
    m_platform.onAlarmOffRequested = [this] {
        guarded(m_platform, [this] {
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
    AlarmTime = NowTime;
    LblSet->setText(QString::fromStdString(AlarmTime.str()));
    // The two faces share one picture until either is drawn again.
    ImgSet->setPicture(ImgNow->picture());
    ShowSwitch(false);
    BtnSet->setFocus();
    scheduleTick();
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
    if (event->type() == QEvent::LocaleChange) timeLocale = TimeLocale{};
    return QMainWindow::event(event);
}

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
    m_ticking = true;
    guarded(m_platform, [this] { Timer1Timer(); });
    m_ticking = false;
    // The sound of an armed alarm is made ready in the last seconds before its
    // minute, so that the ring is heard at its first tick.
    if (m_read.second >= kPrepareSecond && switchIsOn() &&
        comingMinute(m_read.hour, m_read.minute) == AlarmTime)
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
    else if (switchIsOn() && m_read.second < kPrepareSecond &&
             comingMinute(m_read.hour, m_read.minute) == AlarmTime)
        wait = kPrepareSecond - m_read.second;
    Timer1->startAt(m_read.epochSecond + wait);
}

void TForm1::tickNextSecond() {
    // A tick plans its successor from its own reading once it has run.
    if (m_ticking || !Timer1->isActive()) return;
    Timer1->startAt(m_platform.localTime().epochSecond + 1);
}

void TForm1::ReadNowTime() {
    const LocalTime now = m_platform.localTime();
    m_read = now;
    m_clock = wallSeconds(now.day, now.hour, now.minute, now.second);
    NowTime = nowTimeFromFormatted(formatTime(timeLocale, now.hour, now.minute, now.second));
}

void TForm1::Timer1Timer() {
    ReadNowTime();
    // Not made up, but told: the clock jumped over the armed alarm minute.
    if (m_alarmJumps.jumpedOverAlarm(m_clock, switchIsOn(), AlarmTime))
        m_platform.alarmMissed(QString::fromStdString(AlarmTime.str()));
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
    for (QWidget* control :
         std::initializer_list<QWidget*>{ShapeSet, BtnUp, BtnDown, Btn5Up, Btn5Down, ComboBox1})
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
    // Shared until the hands are drawn into it.
    ImgBK->canvas() = m_blankFace.get(ClockPictures{ImgTokei->picture(), ImgMask->picture()},
                                      palette().color(QPalette::Window));
}

void TForm1::DrawClock(bool setFace, const TimeText& time) {
    const auto [hour, minute] = parseTimeText(time);
    DrawFace();
    drawHands(ImgBK->canvas(), hour, minute);
    TImage* face = setFace ? ImgSet : ImgNow;
    // An unchanged face is not pushed to the screen again.
    if (sameFace(face->picture(), ImgBK->canvas())) return;
    // The face takes the drawn picture itself: the next DrawFace gives ImgBK the blank
    // face again, so no third copy of a face stays in memory.
    face->setPicture(ImgBK->canvas());
}

void TForm1::cacheTimeGlyphs() {
    // A minute can show a digit the clock has not drawn yet; drawn here, the font's
    // rasteriser stays out of the minute's redraw. A glyph is kept per position
    // within a pixel and per scale, so each digit is drawn where and as large as the
    // label may show it.
    const qreal ratio = LblNow->devicePixelRatioF();
    QImage scratch(LblNow->size() * ratio, QImage::Format_RGB32);
    scratch.setDevicePixelRatio(ratio);
    QPainter painter(&scratch);
    painter.setFont(LblNow->font());
    const QString shown = LblNow->text();
    for (char16_t digit = u'0'; digit <= u'9'; ++digit) {
        QString time = shown;
        for (QChar& c : time)
            if (c.isDigit()) c = QChar(digit);
        painter.drawText(scratch.rect(), Qt::AlignLeft | Qt::AlignVCenter, time);
    }
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
        QPlainTextEdit* memo = hintMemo();
        memo->show();
        memo->raise();
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
    if (Memo1) Memo1->hide();
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

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == BtnSet) {
            // Space belongs to the button itself (its own click); every typed
            // character goes to the window's key handler, which swallows it.
            char c = typedCharacter(key);
            if (c == 0 || c == ' ') return false;
            guarded(m_platform, [&] { FormKeyPress(c); });
            return true;
        }
        if (watched == ComboBox1 && typedCharacter(key) == '\r') {
            guarded(m_platform, [this] { ComboBox1KeyPress('\r'); });
            return true;
        }
        if ((watched == K4 || watched == MainMenu1) && key->key() == Qt::Key_F1) {
            guarded(m_platform, [this] { m_platform.showHelp(m_helpFile, 1, 0); });
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
    guarded(m_platform, [&] { FormKeyPress(c); });
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
        const SavedSettings saved = readSavedSettings(ini);
        Form3->CheckHint->setChecked(saved.hint);
        Form3->CheckTop->setChecked(saved.mini);
        Form3->RGColor->setItemIndex(saved.colour);
        m_wavBytes = saved.wavFile;
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
    writeSavedSettings(ini, {Form3->CheckHint->isChecked(), Form3->CheckTop->isChecked(),
                             Form3->RGColor->itemIndex(), wavFileBytes()});
}
