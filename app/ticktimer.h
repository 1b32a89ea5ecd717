#pragma once

#include <QObject>

// The tick's timer, on the wall clock rather than counting elapsed time: it wakes
// at a whole second of the clock, and at once when the clock is set or the machine
// resumes, so that a program that sleeps between minutes still sees every change.
class TickTimer : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Fires once when the clock reaches the whole second `epochSecond` (counted as
    // LocalTime::epochSecond is), at once when that has passed already; replaces
    // the wait set before.
    virtual void startAt(long long epochSecond) = 0;
    virtual void stop() = 0;
    // Started and not stopped since: a timer that has fired stays active until the
    // next startAt or stop.
    virtual bool isActive() const = 0;

Q_SIGNALS:
    void timeout();
};
