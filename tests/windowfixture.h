#pragma once

#include "app/windowset.h"
#include "clock/mainwindow.h"
#include "controls/imagecontrol.h"
#include "fakeplatform.h"
#include "mini/miniwindow.h"
#include "settings/settingswindow.h"
#include "settings/testfiles.h"
#include "sound/wavwriter.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

// The four windows built as start-up builds them, on a fake platform whose executable lives
// in a fresh folder; the real timer is stopped, and tests tick by hand.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        platform.exe = folder.filePath(QStringLiteral("pipiron"));
        platform.setTime(6, 58, 30);
    }

    // Start-up up to the message loop; settings are loaded unless told otherwise.
    void start(bool loadSettings = true) {
        windows = std::make_unique<WindowSet>(platform);
        Form1->Timer1->stop();
        if (loadSettings) Form1->LoadSettings();
    }

    // Start-up at that time with the settings loaded; the timer wakes the tick on the fake clock.
    void startTicking(int hour, int minute, int second) {
        platform.setTime(hour, minute, second);
        windows = std::make_unique<WindowSet>(platform);
        Form1->LoadSettings();
    }

    void TearDown() override { windows.reset(); }

    // One tick of the timer, then the clock moves on by a second.
    void tickSeconds(int seconds) {
        for (int i = 0; i < seconds; ++i) Form1->Timer1Timer(), platform.advance(1);
    }
    // The clock moves on second by second, and the program's own timer wakes the tick.
    void passSeconds(int seconds) {
        for (int i = 0; i < seconds; ++i) platform.advance(1), QCoreApplication::processEvents();
    }
    // The seconds the program sleeps before its next tick.
    long long sleepsFor() {
        return *platform.tickTimer->deadline - platform.localTime().epochSecond;
    }

    // A second-long buzz where the default setting finds the alarm sound.
    void writeSound() {
        std::vector<std::int16_t> buzz(8000);
        for (std::size_t i = 0; i < buzz.size(); ++i) buzz[i] = i % 16 < 8 ? 8000 : -8000;
        const std::vector<std::uint8_t> wav = makeWav16(buzz, 1, 8000);
        ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("media")));
        ASSERT_TRUE(put(folder.filePath(QStringLiteral("media/tada.wav")),
                        {reinterpret_cast<const char*>(wav.data()), wav.size()}));
    }

    std::string lblSet() const { return Form1->LblSet->text().toStdString(); }
    static bool armed() { return Form1->BtnSet->text() == QStringLiteral("ON"); }
    // Which of the mini timer's icons show: "1" resting, "2" hopping, "3" flashing.
    static std::string icons() {
        std::string shown;
        for (const auto& [icon, name] :
             {std::pair{Form4->ImgTimer1, '1'}, {Form4->ImgTimer2, '2'}, {Form4->ImgTimer3, '3'}})
            if (!icon->isHidden()) shown += name;
        return shown;
    }

    QTemporaryDir folder;
    FakePlatform platform;
    std::unique_ptr<WindowSet> windows;
};
