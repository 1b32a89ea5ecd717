#include "windowfixture.h"

#include "app/desktopattention.h"
#include "app/logoutsequence.h"
#include "app/logoutsession.h"
#include "fakedesktop.h"

#include <QDBusArgument>
#include <QProcess>
#include <QSignalSpy>

namespace {

// The session manager's side of a logout, as the program's messages reach it.
class FakeSession : public LogoutSession {
public:
    QStringList said;
    bool requestInteraction() override { return said << "InteractRequest", true; }
    void interactDone(bool cancel) override { said << (cancel ? "Done cancel" : "Done"); }
    void saveYourselfDone() override { said << "Saved"; }
};

}  // namespace

// A logout of the armed program asks once and saves once, ｷｬﾝｾﾙ keeps the session; a checkpoint,
// a logout that may not ask and one after ｷｬﾝｾﾙ ask nothing, and the session's end then saves.
TEST_F(WindowTest, TheSessionAsksOnceAndTheSettingsAreSavedOnce) {
    enum Step { Checkpoint, Logout, Silent, Interact, Cancelled, Remove };
    const struct {
        bool armed;
        std::vector<Step> steps;
        std::deque<bool> answers;
        QStringList said;
        bool savedAtEnd;
    } cases[] = {
        {true, {Checkpoint}, {}, {"Saved"}, true},
        {false, {Logout}, {}, {"Saved"}, true},
        {true, {Logout, Interact, Remove}, {true}, {"InteractRequest", "Done", "Saved"}, false},
        {true,
         {Logout, Interact, Cancelled, Silent},
         {false},
         {"InteractRequest", "Done cancel", "Saved", "Saved"},
         true},
    };
    const QString ini = folder.filePath("pipiron.ini");
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.said.join(' ').toStdString());
        QFile::remove(ini);
        platform = FakePlatform();
        platform.exe = folder.filePath("pipiron");
        start();
        FakeSession session;
        LogoutSequence logout(session, *Form1);
        if (c.armed) QTest::mouseClick(Form1->BtnSet, Qt::LeftButton);
        platform.confirmAnswers = c.answers;
        for (const Step step : c.steps) {
            if (step == Checkpoint) logout.saveYourself(false, LogoutSequence::Interaction::Any);
            if (step == Logout) logout.saveYourself(true, LogoutSequence::Interaction::Any);
            if (step == Silent) logout.saveYourself(true, LogoutSequence::Interaction::None);
            if (step == Interact) logout.interact();
            if (step == Cancelled) logout.shutdownCancelled();
            ASSERT_TRUE(step != Remove || QFile::remove(ini));
        }
        EXPECT_EQ(session.said, c.said);
        EXPECT_EQ(platform.confirmations.size(), c.answers.size());
        logout.die();
        EXPECT_EQ(QFile::exists(ini), c.savedAtEnd);
        EXPECT_EQ(platform.quits, 1);
        windows.reset();
    }
}

// The desktop is told: a ringing alarm is urgent with アラームＯＦＦ; one rung or passed over,
// a quiet line, nothing urgent left up; disarmed, the logout is free.
TEST(DesktopAttentionTest, TellsTheDesktopAndLeavesNothingBehind) {
    QProcess bus;
    bus.start("dbus-daemon", {"--session", "--print-address=1", "--nofork"});
    ASSERT_TRUE(bus.waitForReadyRead(10000));
    const QString address = bus.readLine().trimmed();
    FakeDesktop desktop(address);
    ASSERT_TRUE(desktop.serving);
    const auto notice = [&](int n) {
        const QVariantList call = desktop.waitFor("Notify", n + 1).value(n);
        return std::tuple{call.value(4).toString(), call.value(5).toStringList(),
                          qdbus_cast<QVariantMap>(call.value(6)).value("urgency").toInt()};
    };
    {
        DesktopAttention attention(QDBusConnection::connectToBus(address, "program"));
        QSignalSpy off(&attention, &DesktopAttention::offRequested);
        attention.setArmed(true);
        attention.alarmStarted("07:00");
        EXPECT_EQ(notice(0),
                  std::tuple(QString("アラーム 07:00"), QStringList{"off", "アラームＯＦＦ"}, 2));
        QTest::qWait(200);  // the service's answer: id 41
        desktop.invoke(41, "off");
        EXPECT_TRUE(off.wait(5000));
        attention.alarmRang("07:00");
        EXPECT_EQ(desktop.waitFor("CloseNotification", 1), QList<QVariantList>{{41u}});
        EXPECT_EQ(notice(1), std::tuple(QString("アラーム 07:00 が鳴りました"), QStringList{}, 1));
        attention.alarmMissed("07:05");
        EXPECT_EQ(notice(2),
                  std::tuple(QString("アラーム 07:05 は鳴りませんでした"), QStringList{}, 1));
        attention.setArmed(false);
        EXPECT_EQ(desktop.waitFor("Close", 1), QList<QVariantList>{{"/request/1"}});
        attention.alarmStarted("07:10");  // still ringing when the program ends
        QTest::qWait(200);
    }
    EXPECT_EQ(desktop.waitFor("CloseNotification", 2).value(1), QVariantList{44u});
    QDBusConnection::disconnectFromBus("program");
    bus.kill();
    bus.waitForFinished();
}
