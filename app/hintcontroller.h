#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

class QWidget;

// The one switch for every tool hint of the program, with the program's own
// timing: a hint shows after the pointer has rested for the pause, after 50 ms
// when it moves on to another hinted control while a hint shows, and hides
// after 2500 ms.
class HintController : public QObject {
    Q_OBJECT
public:
    static HintController& instance();

    void setEnabled(bool enabled);
    void setPause(int milliseconds) { m_pause = milliseconds; }
    int pause() const { return m_pause; }
    // The delay before the hint of a newly entered control.
    int delayFor(bool hintShowing) const { return hintShowing ? kFollowPause : m_pause; }

    static constexpr int kFollowPause = 50;
    static constexpr int kHidePause = 2500;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    HintController();
    void showHint();
    void hideHint();
    void cancel();

    bool m_enabled = true;
    int m_pause = 500;
    bool m_showing = false;
    QTimer m_wake;
    QTimer m_hide;
    QPointer<QWidget> m_target;
};
