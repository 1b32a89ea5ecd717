#pragma once

#include <QString>

#include <functional>

class QObject;
class QWidget;
class TickTimer;

struct LocalTime {
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    // Days from a fixed day: only differences count (a jump of the clock over days).
    int day = 0;
    // The same whole second as the tick's timer counts it (seconds since 1970 for
    // the real clock), so that the tick can name the second it wants to wake at.
    long long epochSecond = 0;
};

// What the program needs of the desktop. One real implementation (QtPlatform);
// tests replace it with a fake that records what was asked.
class Platform {
public:
    virtual ~Platform() = default;

    virtual LocalTime localTime() = 0;
    // The timer of the tick, on the same clock as localTime.
    virtual TickTimer* createTickTimer(QObject* parent) = 0;

    // 0: the default sound; 48: the exclamation sound.
    virtual void messageBeep(unsigned type) = 0;
    // Bring a window forward where the desktop allows it, mark it urgent where not.
    virtual void setForegroundWindow(QWidget* window) = 0;

    // The warning dialog with "OK" and "ｷｬﾝｾﾙ"; true only for "OK".
    virtual bool confirmWarning(const QString& text) = 0;
    // A plain message box with one "OK", no icon, under the application title.
    virtual void showMessage(const QString& text) = 0;
    // The standard error box: the message and ".", the stop icon, one "OK".
    virtual void showError(const QString& message) = 0;

    // Shows the window application-modal and returns when it has been closed
    // (hidden); every timer keeps firing meanwhile.
    virtual void showModal(QWidget* window) = 0;
    // Ends the main loop: the main window's close has been allowed.
    virtual void quit() = 0;

    virtual QString executablePath() = 0;

    // Help command 3 (contents) or 1 (context) on a help file, without waiting.
    virtual void showHelp(const QString& helpFile, unsigned command, unsigned data) = 0;

    // Desktop attention beyond the window: a notification while ringing and a
    // logout inhibition while armed. Both are quiet when the desktop has neither.
    virtual void alarmRinging(const QString& alarmTime) = 0;
    virtual void alarmSilenced() = 0;
    virtual void setAlarmArmed(bool armed) = 0;
    // A normal notification that stays in the desktop's list: the alarm rang its minute
    // out, or the clock jumped over an armed alarm minute. Quiet on a platform without one.
    virtual void alarmRang(const QString& /*alarmTime*/) {}
    virtual void alarmMissed(const QString& /*alarmTime*/) {}
    // Called when the user switches the alarm OFF from the notification.
    std::function<void()> onAlarmOffRequested;
    // The window the user works in (the main window, or the mini timer while it
    // shows): dialogs and the windows shown modally belong to it.
    std::function<QWidget*()> currentWindow;

    QString applicationTitle() const { return m_title; }
    void setApplicationTitle(const QString& title) { m_title = title; }

private:
    QString m_title;
};
