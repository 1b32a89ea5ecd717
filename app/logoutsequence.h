#pragma once

class LogoutSession;
class TForm1;

// One question per logout. The session manager first tells every program to save
// itself, saying whether the session ends. Only when it ends and the alarm is
// armed does the program ask its quit question, once the manager lets it talk to
// the user; "ｷｬﾝｾﾙ" cancels the logout. When the session then ends the program, it
// ends without asking again, saving only if the question did not. A checkpoint,
// where the session only saves its state, asks nothing and refuses nothing.
class LogoutSequence {
public:
    enum class Interaction { None, Errors, Any };

    LogoutSequence(LogoutSession& session, TForm1& program);
    ~LogoutSequence();
    LogoutSequence(const LogoutSequence&) = delete;
    LogoutSequence& operator=(const LogoutSequence&) = delete;

    void saveYourself(bool shutdown, Interaction interaction);
    void interact();
    void shutdownCancelled();
    void die();

private:
    LogoutSession& m_session;
    TForm1& m_program;
    bool m_shutdown = false;
    bool m_settingsSaved = false;
};
