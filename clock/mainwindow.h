#pragma once

// The main window of ぴぴろん.
//
// Time passes only in Timer1Timer, the tick: it reads the clock into NowTime,
// redraws the left face at each new minute (every second in the alarm minute),
// and while the switch is ON and NowTime equals AlarmTime it rings. Its timer
// runs on the wall clock and wakes it only when something is to change. The
// desktop is told when an alarm has rung its minute out or the clock jumped over
// it. The switch has no variable: it is ON exactly when BtnSet's caption is "ON". The
// controls that set AlarmTime (buttons, the drag handle ShapeSet, the minutes box)
// refresh LblSet and the right face once after their last step. A new palette or
// style redraws both faces and picks readable text colours. Settings live
// only in the controls of Form3; the mini timer is Form4. Every handler runs in
// the guard, which shows an error that leaves it in the standard error box.

#include "app/platform.h"
#include "clock/clockface.h"
#include "clock/clockjump.h"
#include "clock/timeformat.h"
#include "clock/timetext.h"
#include "sound/mediaplayer.h"

#include <QMainWindow>
#include <QRect>

#include <cstdint>
#include <optional>
#include <string>

class Platform;
class TickTimer;
class TImage;
class TShape;
class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;
struct SettingsFiles;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(Platform& platform);
    ~TForm1() override;

    // Controls, in declaration order.
    TImage* ImgNow;
    TImage* ImgSet;
    TImage* ImgTokei;
    QLabel* LblNow;
    QLabel* LblSet;
    TickTimer* Timer1;
    TImage* ImgMask;
    TImage* ImgBK;
    QLabel* Label1;
    QLabel* Label2;
    TShape* ShapeSet;
    TMediaPlayer MediaPlayer;
    QPushButton* BtnDown;
    QPushButton* BtnUp;
    QMenuBar* MainMenu1;
    QPushButton* BtnSet;
    TShape* Shape1;
    TShape* ShapeOnOff;
    QFrame* Bevel1;
    QAction* Setting;
    QMenu* K4;
    QPushButton* Btn5Down;
    QPushButton* Btn5Up;
    QComboBox* ComboBox1;
    QPlainTextEdit* Memo1 = nullptr;  // made by hintMemo()
    QAction* Mini;
    QAction* K5;
    QAction* About1;
    QAction* Exit1;

    // Handlers. They run unguarded when called directly; the bindings guard them.
    void FormCreate();
    void Timer1Timer();
    void BtnUpClick();
    void BtnDownClick();
    void BtnSetClick();
    void ShapeSetMouseMove(int x, int y);
    void ShapeSetMouseDown(Qt::MouseButton button, int x, int y);
    void ShapeSetMouseUp();
    void Btn5UpClick();
    void Btn5DownClick();
    void ComboBox1Change();
    void FormKeyPress(char& key);
    void About1Click();
    void Exit1Click();
    void FormCloseQuery(bool& canClose);
    void MiniClick();
    void SettingClick();
    void K5Click();
    void ComboBox1KeyPress(char key);

    // Operations.
    void DrawFace();
    void DrawClock(bool setFace, const TimeText& time);
    // Draws every digit of the time into the font cache while the clock is idle.
    void cacheTimeGlyphs();
    void StepAlarm(bool forward);
    void ShowSwitch(bool on);
    int DragSector(int x, int y) const;
    bool ApplySettings();
    void LoadSettings();
    void SaveSettings();
    void ReadNowTime();

    // The close query as a close runs it, errors shown: true when the close may go on
    // (the settings are saved then).
    bool closeQueryAllows();
    // The desktop ends the program (a signal, the end of the session): no question,
    // as no one is there to answer it, and a save that fails does not keep it running.
    void endSession(bool settingsSaved);

    bool switchIsOn() const;

    // State of the main window's unit.
    TimeText NowTime;
    TimeText AlarmTime;
    TimeText ShownTime;
    QRect ClockRect;
    bool Ringing = false;
    bool Dragging = false;
    int DragStartX = 0;
    int DragStartY = 0;
    int LastSector = 0;
    bool ExitRequested = false;
    bool WavReady = false;

    // The locale's picture for the time; taken again when the locale changes.
    TimeLocale timeLocale;

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Colours 0x00BBGGRR, and the switch lever's top when ON and OFF.
    static constexpr std::uint32_t kRed = 0x0000FF;
    static constexpr std::uint32_t kMaroon = 0x000080;
    static constexpr int kLeverTopOn = 168;
    static constexpr int kLeverTopOff = 184;

    void createControls();
    void createMenu();
    QPlainTextEdit* hintMemo();
    void bindEvents();
    // Connects a signal to a handler that runs in the guard.
    template <typename Sender, typename Signal, typename... Args>
    void bind(Sender* sender, Signal signal, void (TForm1::*handler)(Args...));
    void tick();
    // The timer wakes the tick only when it has something to do: at the next
    // minute, at the sound's preparation, every second while something moves.
    void scheduleTick();
    // After a change by the user the next second's tick shows it and plans anew.
    void tickNextSecond();
    void refreshAlarm();
    void setSettingControlsEnabled(bool enabled);
    SettingsFiles settingsFiles() const;
    std::string wavFileBytes() const;
    // Text colours and both faces follow the window colour of the palette or style sheet.
    void followWindowColours();

    Platform& m_platform;
    bool m_shownOnce = false;
    // The wall clock at this tick and at the one before, to see a jump over the alarm.
    long long m_clock = 0;
    // The clock as the last tick read it: the next wake-up is planned from it.
    LocalTime m_read;
    bool m_ticking = false;
    AlarmJumpWatch m_alarmJumps;
    BlankFace m_blankFace;
    bool m_ending = false;
    QString m_helpFile;
    // WAVFILE as read, and the text shown for it in EdtWav.
    std::string m_wavBytes;
    QString m_wavShown;
    // The settings file was too large to read: a close does not write it.
    bool m_settingsRefused = false;
};

extern TForm1* Form1;
