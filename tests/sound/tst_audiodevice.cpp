#include "sound/audiodevice.h"

#include <gtest/gtest.h>

#include <csignal>

namespace {

void (*handlerOf(int signal))(int) {
    struct sigaction action {};
    sigaction(signal, nullptr, &action);
    return action.sa_handler;
}

// The program must still end on SIGTERM (logout, shutdown, kill) and SIGINT
// while the sound device is open.
TEST(AudioDevice, LeavesTerminationSignalsAlone) {
    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        std::signal(signal, SIG_DFL);
        ASSERT_TRUE(AudioDevice::acquire());
        EXPECT_EQ(handlerOf(signal), SIG_DFL);
        AudioDevice::release();
    }
}

}  // namespace
