#include "sound/audiodevice.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

// Once the sound device is open, the program must still end on SIGTERM (a
// session ending, kill) and SIGINT, as any desktop program does.
TEST(AudioDevice, LeavesTheTerminationSignalsAlone)
{
    for (int signal : {SIGTERM, SIGINT}) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            AudioDevice::acquire();
            ::kill(::getpid(), signal);
            ::sleep(5);
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status)) << "signal " << signal;
        if (WIFSIGNALED(status)) {
            EXPECT_EQ(WTERMSIG(status), signal);
        }
    }
}
