#include "programcopy.h"
#include "x11desktop.h"

#include <QTime>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// The user types in another program while the alarm rings: the ringing window comes
// to the front, but every key still goes where the user is typing, never to the switch.
TEST(RingingOnADesktop, KeysTypedInAnotherProgramStayThere) {
    if (const QStringList missing = X11Desktop::missingTools(); !missing.isEmpty())
        GTEST_SKIP() << "not installed: " << missing.join(u' ').toStdString();
    ProgramCopy copy("[SETUP]\r\nWAVFILE=" PIPIRON_CHIME "\r\n");  // outlives the program
    ASSERT_TRUE(copy.isValid());
    X11Desktop desktop;
    ASSERT_TRUE(desktop.start(true));

    // GIVEN an editor, and ぴぴろん armed for the current minute with Enter on its switch
    QProcess& editor = desktop.launch(QStringLiteral(KEYCATCHER_EXE), {});
    const QString editorWindow = desktop.windowNamed(u"^keycatcher$"_s);
    ASSERT_FALSE(editorWindow.isEmpty()) << editor.readAllStandardError().toStdString();
    while (QTime::currentTime().second() > 40) QTest::qWait(500);  // all in one minute
    desktop.launch(copy.program(), {}, copy.environment(desktop.environment()));
    const QString clockWindow = desktop.windowNamed(u"^ぴぴろん$"_s);
    ASSERT_FALSE(clockWindow.isEmpty());
    desktop.xdotool({u"windowactivate"_s, u"--sync"_s, clockWindow});
    desktop.xdotool({u"key"_s, u"Return"_s});

    // WHEN the user goes back to the editor and types through three ticks of ringing
    desktop.xdotool({u"windowactivate"_s, u"--sync"_s, editorWindow});
    QStringList keys = {u"key"_s, u"--delay"_s, u"300"_s};
    for (int i = 0; i < 10; ++i) keys << u"space"_s;
    desktop.xdotool(keys);

    // THEN the editor has every key and the keyboard, and ぴぴろん stands in front of it
    QByteArray typed;
    (void)QTest::qWaitFor(
        [&] {
            typed += editor.readAllStandardOutput();
            return typed.endsWith("[          ]\n");
        },
        3000);
    EXPECT_TRUE(typed.endsWith("[          ]\n")) << typed.toStdString();
    EXPECT_EQ(desktop.xdotool({u"getactivewindow"_s}), editorWindow);
    const QList<qulonglong> stacking = desktop.stacking();
    EXPECT_GT(stacking.indexOf(clockWindow.toULongLong()),
              stacking.indexOf(editorWindow.toULongLong()));
    EXPECT_TRUE(desktop.run(u"xprop"_s, {u"-id"_s, clockWindow, u"_NET_WM_STATE"_s})
                    .contains(u"_NET_WM_STATE_DEMANDS_ATTENTION"_s));
}

// Without a window manager nothing keeps a dialog over its window: the ringing
// window, brought to the front every second, must not cover the question.
TEST(RingingOnADesktop, TheQuestionStaysInFrontOfTheRingingWindow) {
    if (const QStringList missing = X11Desktop::missingTools(); !missing.isEmpty())
        GTEST_SKIP() << "not installed: " << missing.join(u' ').toStdString();
    ProgramCopy copy("[SETUP]\r\nWAVFILE=" PIPIRON_CHIME "\r\n");  // outlives the program
    ASSERT_TRUE(copy.isValid());
    X11Desktop desktop;
    ASSERT_TRUE(desktop.start(false));
    while (QTime::currentTime().second() > 45) QTest::qWait(500);  // all in one minute
    desktop.launch(copy.program(), {}, copy.environment(desktop.environment()));
    const QString clockWindow = desktop.windowNamed(u"^ぴぴろん$"_s);
    ASSERT_FALSE(clockWindow.isEmpty());

    // GIVEN the alarm armed for this minute, WHEN the user chooses "終了" in the menu
    const auto click = [&](int x, int y) {
        desktop.xdotool({u"mousemove"_s, u"--window"_s, clockWindow, QString::number(x),
                         QString::number(y), u"click"_s, u"1"_s});
    };
    click(32, 213);  // the switch
    click(160, 7);   // "終了"
    const QString question = desktop.windowNamed(u"^警告$"_s);
    ASSERT_FALSE(question.isEmpty());

    // THEN after two seconds of ringing the question still stands in front
    QTest::qWait(2500);
    const QList<qulonglong> order = desktop.topLevelsFromTheTop();
    EXPECT_LT(order.indexOf(question.toULongLong()), order.indexOf(clockWindow.toULongLong()));
}
