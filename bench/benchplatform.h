#pragma once

#include "app/platform.h"
#include "app/wallclocktimer.h"

#include <QString>
#include <QWidget>

// A quiet platform with a clock the benchmark sets: nothing reaches the desktop.
class BenchPlatform : public Platform {
public:
    LocalTime now{12, 0, 0, 0};
    QString exe;

    // Moves the clock on, wrapping at midnight.
    void advance(int seconds) {
        int total = (now.hour * 3600 + now.minute * 60 + now.second + seconds) % 86400;
        if (total < 0) total += 86400;
        now = {total / 3600, total / 60 % 60, total % 60, 0};
    }

    LocalTime localTime() override { return now; }
    TickTimer* createTickTimer(QObject* parent) override { return new WallClockTimer(parent); }
    void messageBeep(unsigned) override {}
    void setForegroundWindow(QWidget*) override {}
    bool confirmWarning(const QString&) override { return true; }
    void showMessage(const QString&) override {}
    void showError(const QString&) override {}
    void showModal(QWidget* window) override { window->hide(); }
    void quit() override {}
    QString executablePath() override { return exe; }
    void showHelp(const QString&, unsigned, unsigned) override {}
    void alarmRinging(const QString&) override {}
    void alarmSilenced() override {}
    void setAlarmArmed(bool) override {}
};
