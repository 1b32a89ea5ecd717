#pragma once

#include "app/windowset.h"
#include "clock/imagecontrol.h"
#include "clock/mainwindow.h"
#include "fakeplatform.h"
#include "mini/miniwindow.h"
#include "settings/aboutwindow.h"
#include "settings/settingswindow.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

// The four windows built the way start-up builds them, on a fake platform whose
// executable lives in a fresh folder. The real timer is stopped: tests tick by hand.
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

    void TearDown() override { windows.reset(); }

    // One tick of the timer, then the clock moves on by a second.
    void tickSeconds(int seconds) {
        for (int i = 0; i < seconds; ++i) {
            Form1->Timer1Timer();
            platform.advance(1);
        }
    }

    std::string now() const { return Form1->NowTime.str(); }
    std::string alarm() const { return Form1->AlarmTime.str(); }
    std::string lblSet() const { return Form1->LblSet->text().toStdString(); }

    QTemporaryDir folder;
    FakePlatform platform;
    std::unique_ptr<WindowSet> windows;
};
