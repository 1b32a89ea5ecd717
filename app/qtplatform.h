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

// Shows a window application-modal in a nested event loop until it is hidden. A
// dialog window stands over its owner (transient for it) while the owner shows.
void runModal(QWidget* window, QWidget* owner = nullptr);

// Centres a window on the window it stands over while that one shows (where the
// desktop lets programs place windows), otherwise on the screen.
void centreOnOwner(QWidget* window);

// Which file the help request opens: the help file when it exists, otherwise the
// program's own HTML help beside the executable.
QString helpDocumentFor(const QString& helpFile);
