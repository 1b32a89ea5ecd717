#pragma once

#include "app/ticktimer.h"

class QFileSystemWatcher;
class QSocketNotifier;

// The tick's timer on a timerfd of CLOCK_REALTIME: the kernel wakes it at the whole
// second itself, cancels the wait when the clock is set (and at a resume, which
// moves the wall clock against the monotonic one), and a changed /etc/localtime
// wakes it for a new time zone, which moves no clock.
class WallClockTimer : public TickTimer {
    Q_OBJECT
public:
    explicit WallClockTimer(QObject* parent = nullptr);
    ~WallClockTimer() override;

    void startAt(long long epochSecond) override;
    void stop() override;
    bool isActive() const override;

private:
    void expired();
    void zoneChanged();

    const int m_fd;
    QSocketNotifier* const m_notifier;
    QFileSystemWatcher* const m_zoneWatcher;
    bool m_active = false;
};
