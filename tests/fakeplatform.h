#pragma once

#include "app/platform.h"
#include "app/ticktimer.h"

#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>
#include <optional>
#include <tuple>
#include <vector>

// The tick's timer on the fake clock: its deadline wakes it, and so does a clock that is set.
class FakeTickTimer : public TickTimer {
public:
    using TickTimer::TickTimer;

    std::optional<long long> deadline;  // while active
    int wakeUps = 0;

    void startAt(long long second) override { deadline = second; }
    void stop() override { deadline.reset(); }
    bool isActive() const override { return deadline.has_value(); }

    // Wakes the tick from the event loop, once however often the clock moved meanwhile.
    void clockMoved(long long now, bool set) {
        if (!deadline || (!set && now < *deadline) || m_woken) return;
        m_woken = true;
        QTimer::singleShot(0, this, [this] {
            m_woken = false;
            if (!isActive()) return;
            ++wakeUps;
            Q_EMIT timeout();
        });
    }

private:
    bool m_woken = false;
};

// A platform that records what the program asks of the desktop, with a clock the test moves.
class FakePlatform : public Platform {
public:
    LocalTime now{12, 0, 0, 0};
    std::vector<unsigned> beeps;
    std::vector<QWidget*> foreground;
    std::vector<QString> confirmations;
    std::deque<bool> confirmAnswers;  // empty: "OK"
    std::vector<QString> messages;
    std::vector<QString> messageTitles;
    std::vector<QString> errors;
    std::function<void(QWidget*)> onModal;  // acts inside the modal showing
    std::function<void()> onMessage;        // acts while a message box is up
    int quits = 0;
    QString exe = QStringLiteral("/nonexistent/pipiron");
    std::vector<std::tuple<QString, unsigned, unsigned>> helps;
    std::vector<QString> ringing;
    std::vector<QString> rang;
    std::vector<QString> missed;

    QPointer<FakeTickTimer> tickTimer;

    // Sets the clock to a time of day on the current day.
    void setTime(int hour, int minute, int second) {
        now = {hour, minute, second, 0, now.day};
        if (tickTimer) tickTimer->clockMoved(localTime().epochSecond, true);
    }
    // Moves the clock on, into the next days or back into the previous ones.
    void advance(int seconds) {
        const long long total = localTime().epochSecond + seconds;
        const int day = int(total / 86400 - (total % 86400 < 0 ? 1 : 0));
        const int rest = int(total - day * 86400LL);
        now = {rest / 3600, rest / 60 % 60, rest % 60, 0, day};
        if (tickTimer) tickTimer->clockMoved(localTime().epochSecond, false);
    }

    LocalTime localTime() override {
        LocalTime read = now;
        read.epochSecond = ((now.day * 24LL + now.hour) * 60 + now.minute) * 60 + now.second;
        return read;
    }
    TickTimer* createTickTimer(QObject* parent) override {
        tickTimer = new FakeTickTimer(parent);
        return tickTimer;
    }
    void messageBeep(unsigned type) override { beeps.push_back(type); }
    void setForegroundWindow(QWidget* window) override { foreground.push_back(window); }
    bool confirmWarning(const QString& text) override {
        confirmations.push_back(text);
        const bool answer = confirmAnswers.empty() || confirmAnswers.front();
        if (!confirmAnswers.empty()) confirmAnswers.pop_front();
        return answer;
    }
    void showMessage(const QString& text) override {
        messages.push_back(text);
        messageTitles.push_back(applicationTitle());
        if (onMessage) onMessage();
    }
    void showError(const QString& message) override { errors.push_back(message); }
    void showModal(QWidget* window) override {
        window->show();
        if (onModal) onModal(window);
        // Whatever the test left open, the user closes now.
        if (!window->isHidden()) window->close();
    }
    void quit() override { ++quits; }
    QString executablePath() override { return exe; }
    void showHelp(const QString& file, unsigned command, unsigned data) override {
        helps.emplace_back(file, command, data);
    }
    void alarmRinging(const QString& alarmTime) override { ringing.push_back(alarmTime); }
    void alarmSilenced() override {}
    void setAlarmArmed(bool) override {}
    void alarmRang(const QString& alarmTime) override { rang.push_back(alarmTime); }
    void alarmMissed(const QString& alarmTime) override { missed.push_back(alarmTime); }
};
