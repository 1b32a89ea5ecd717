#include "app/wallclocktimer.h"

#include <QFileSystemWatcher>
#include <QSocketNotifier>

#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

WallClockTimer::WallClockTimer(QObject* parent)
    : TickTimer(parent),
      m_fd(timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC)),
      m_notifier(new QSocketNotifier(m_fd, QSocketNotifier::Read, this)),
      m_zoneWatcher(new QFileSystemWatcher(this)) {
    connect(m_notifier, &QSocketNotifier::activated, this, &WallClockTimer::expired);
    // The link /etc/localtime is replaced, not written, when the zone changes.
    m_zoneWatcher->addPath(QStringLiteral("/etc"));
    connect(m_zoneWatcher, &QFileSystemWatcher::directoryChanged, this,
            &WallClockTimer::zoneChanged);
}

WallClockTimer::~WallClockTimer() {
    delete m_notifier;
    if (m_fd >= 0) ::close(m_fd);
}

void WallClockTimer::startAt(long long epochSecond) {
    m_active = true;
    itimerspec at{};
    at.it_value.tv_sec = time_t(epochSecond);
    if (timerfd_settime(m_fd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &at, nullptr) == 0)
        return;
    // The clock was set since the last wake-up, perhaps after the tick read it: the
    // deadline may be stale, so the tick runs once more and reads the clock anew.
    if (errno == ECANCELED) {
        at.it_value = {0, 1};
        timerfd_settime(m_fd, 0, &at, nullptr);
    }
}

void WallClockTimer::stop() {
    m_active = false;
    const itimerspec off{};
    timerfd_settime(m_fd, 0, &off, nullptr);
}

bool WallClockTimer::isActive() const {
    return m_active;
}

void WallClockTimer::expired() {
    std::uint64_t expirations = 0;
    // ECANCELED: the clock was set. Either way the tick reads the clock anew.
    if (::read(m_fd, &expirations, sizeof expirations) < 0 && errno != ECANCELED) return;
    if (m_active) Q_EMIT timeout();
}

void WallClockTimer::zoneChanged() {
    if (m_active) Q_EMIT timeout();
}
