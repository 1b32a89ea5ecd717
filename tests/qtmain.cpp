#include <gtest/gtest.h>
#include <QApplication>

#include "sound/audioengine.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    AudioEngine::instance().shutdown();
    return result;
}
