#include "windowfixture.h"

#include "app/logoutsequence.h"
#include "app/logoutsession.h"

#include <QFile>

#include <string>
#include <vector>

namespace {

// A session manager that notes what the program tells it.
class FakeSession : public LogoutSession {
public:
    std::vector<std::string> said;
    bool grantsInteraction = true;

    bool requestInteraction() override {
        said.push_back("InteractRequest");
        return grantsInteraction;
    }
    void interactDone(bool cancelShutdown) override {
        said.push_back(cancelShutdown ? "InteractDone cancel" : "InteractDone");
    }
    void saveYourselfDone() override { said.push_back("SaveYourselfDone"); }
};

enum class Step {
    Checkpoint,         // the session only saves its state
    Logout,             // the session ends; the user may be asked
    LogoutWithoutUser,  // the session ends; no one may be asked
    Interact,           // the manager lets the program talk to the user
    Cancelled,          // someone cancelled the logout
    Die,                // the session ends the program
    TakeSavedFile,      // the settings file has been written: removed, to see a later save
};

}  // namespace

class Logout : public WindowTest {};

TEST_F(Logout, OneQuestionPerLogoutAndNoneAtACheckpoint) {
    using S = Step;
    const std::string ok = "InteractDone", cancel = "InteractDone cancel",
                      request = "InteractRequest", done = "SaveYourselfDone";
    struct Case {
        const char* name;
        bool armed;
        std::vector<Step> steps;
        std::deque<bool> answers;  // "OK" or "ｷｬﾝｾﾙ" to each question
        std::vector<std::string> said;
        std::size_t questions;
        bool ended;
        bool savedAtTheEnd;
    } cases[] = {
        {"checkpoint", true, {S::Checkpoint}, {}, {done}, 0, false, false},
        {"OK",
         true,
         {S::Logout, S::Interact, S::TakeSavedFile, S::Die},
         {true},
         {request, ok, done},
         1,
         true,
         false},
        {"ｷｬﾝｾﾙ",
         true,
         {S::Logout, S::Interact, S::Cancelled},
         {false},
         {request, cancel, done},
         1,
         false,
         false},
        {"switch OFF", false, {S::Logout, S::Die}, {}, {done}, 0, true, true},
        {"no one to ask", true, {S::LogoutWithoutUser, S::Die}, {}, {done}, 0, true, true},
        {"OK, then cancelled elsewhere, then ended",
         true,
         {S::Logout, S::Interact, S::TakeSavedFile, S::Cancelled, S::Die},
         {true},
         {request, ok, done},
         1,
         true,
         true},
        {"ｷｬﾝｾﾙ, then a second logout",
         true,
         {S::Logout, S::Interact, S::Cancelled, S::Logout, S::Interact, S::TakeSavedFile, S::Die},
         {false, true},
         {request, cancel, done, request, ok, done},
         2,
         true,
         false},
    };
    const QString ini = folder.filePath(QStringLiteral("pipiron.ini"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(ini);
        platform = FakePlatform();
        platform.exe = folder.filePath(QStringLiteral("pipiron"));
        start();
        platform.beeps.clear();
        if (c.armed) Form1->BtnSetClick();
        platform.confirmAnswers = c.answers;
        FakeSession session;
        LogoutSequence sequence(session, *Form1);
        for (Step step : c.steps) {
            switch (step) {
                case S::Checkpoint:
                    sequence.saveYourself(false, LogoutSequence::Interaction::Any);
                    break;
                case S::Logout:
                    sequence.saveYourself(true, LogoutSequence::Interaction::Any);
                    break;
                case S::LogoutWithoutUser:
                    sequence.saveYourself(true, LogoutSequence::Interaction::None);
                    break;
                case S::Interact:
                    sequence.interact();
                    break;
                case S::Cancelled:
                    sequence.shutdownCancelled();
                    break;
                case S::Die:
                    sequence.die();
                    break;
                case S::TakeSavedFile:
                    EXPECT_TRUE(QFile::remove(ini));
                    break;
            }
        }
        EXPECT_EQ(session.said, c.said);
        EXPECT_EQ(platform.confirmations.size(), c.questions);
        EXPECT_EQ(platform.beepsOf(48), c.questions);
        EXPECT_EQ(platform.quits, c.ended ? 1 : 0);
        EXPECT_EQ(QFile::exists(ini), c.savedAtTheEnd);
        EXPECT_EQ(Form1->switchIsOn(), c.armed);
        windows.reset();
    }
}

// A signal or the session's end with the switch ON: saved, no question, ended.
TEST_F(Logout, TheDesktopEndsTheProgramWithoutAQuestion) {
    start();
    platform.beeps.clear();
    Form1->BtnSetClick();
    Form1->endSession(false);
    EXPECT_TRUE(platform.confirmations.empty());
    EXPECT_TRUE(platform.beeps.empty());
    EXPECT_EQ(platform.quits, 1);
    EXPECT_TRUE(QFile::exists(folder.filePath(QStringLiteral("pipiron.ini"))));
    EXPECT_TRUE(Form1->close());  // the windows then close without asking
    EXPECT_TRUE(platform.confirmations.empty());
}
