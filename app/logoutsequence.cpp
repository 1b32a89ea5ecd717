#include "app/logoutsequence.h"

#include "app/logoutsession.h"
#include "clock/mainwindow.h"

LogoutSequence::LogoutSequence(LogoutSession& session, TForm1& program)
    : m_session(session), m_program(program) {
    m_session.sequence = this;
}

LogoutSequence::~LogoutSequence() {
    if (m_session.sequence == this) m_session.sequence = nullptr;
}

void LogoutSequence::saveYourself(bool shutdown, Interaction interaction) {
    m_shutdown = shutdown;
    m_settingsSaved = false;
    // Without the user the logout cannot be refused: the settings are saved when
    // the session ends the program, as for any other end the desktop decides.
    if (shutdown && interaction == Interaction::Any && m_program.switchIsOn() &&
        m_session.requestInteraction())
        return;
    m_session.saveYourselfDone();
}

void LogoutSequence::interact() {
    // The close query asks (while the switch is still ON) and saves; an error in
    // the save is shown and refuses the logout like "ｷｬﾝｾﾙ".
    m_settingsSaved = m_program.closeQueryAllows();
    m_session.interactDone(m_shutdown && !m_settingsSaved);
    m_session.saveYourselfDone();
}

void LogoutSequence::shutdownCancelled() {
    m_shutdown = false;
    m_settingsSaved = false;
}

void LogoutSequence::die() {
    m_program.endSession(m_settingsSaved);
}
