#pragma once

#include "app/platform.h"

#include <memory>

class Beeper;
class QObject;
class DesktopAttention;

// The desktop as Qt, the sound engine and the session bus offer it.
class QtPlatform : public Platform {
public:
    QtPlatform();
    ~QtPlatform() override;

    LocalTime localTime() override;
    TickTimer* createTickTimer(QObject* parent) override;
    void messageBeep(unsigned type) override;
    void setForegroundWindow(QWidget* window) override;
    bool confirmWarning(const QString& text) override;
    void showMessage(const QString& text) override;
    void showError(const QString& message) override;
    void showModal(QWidget* window) override;
    void quit() override;
    QString executablePath() override;
    void showHelp(const QString& helpFile, unsigned command, unsigned data) override;
    void alarmRinging(const QString& alarmTime) override;
    void alarmSilenced() override;
    void setAlarmArmed(bool armed) override;
    void alarmRang(const QString& alarmTime) override;
    void alarmMissed(const QString& alarmTime) override;

private:
    QWidget* dialogOwner() const;
    void showNoHelpViewer(const QString& page);
    DesktopAttention& attention();

    std::unique_ptr<Beeper> m_beeper;
    std::unique_ptr<DesktopAttention> m_attention;
    // Answers from help viewers still running end with the platform.
    std::unique_ptr<QObject> m_helpAnswers;
};
