#include "windowfixture.h"

#include <malloc.h>
#if defined(__SANITIZE_ADDRESS__)
// Exported by the AddressSanitizer runtime; GCC ships no header for it.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

std::size_t heapInUse() {
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

}  // namespace

// A week of ticks through the real windows, the alarm re-armed every hour as a
// user would: every alarm rings its whole minute, and the memory the program
// holds does not grow from one day to the next.
TEST_F(WindowTest, AWeekOfTicksRingsEveryAlarmAndHoldsNoMoreMemory) {
    platform.setTime(0, 0, 0);
    start();
    platform.beeps.clear();
    std::vector<std::size_t> ringsPerAlarm;
    ringsPerAlarm.reserve(200);
    std::size_t heapAfterDayOne = 0;
    std::size_t heapAfterDaySeven = 0;
    // Two minutes into the eighth day, so the last alarm (00:00) has rung too.
    for (int second = 0; second < 7 * 86400 + 120; ++second) {
        const LocalTime& now = platform.now;
        if (now.minute == 30 && now.second == 0) {
            Form1->AlarmTime = TimeText(std::string(1, char('0' + (now.hour + 1) % 24 / 10)) +
                                        char('0' + (now.hour + 1) % 24 % 10) + ":00");
            ASSERT_FALSE(Form1->switchIsOn()) << second;
            Form1->BtnSetClick();
        }
        if (now.minute == 1 && now.second == 1 && second > 3600) {
            ringsPerAlarm.push_back(platform.beepsOf(0));
            ASSERT_FALSE(Form1->switchIsOn());
            platform.beeps.clear();
            platform.foreground.clear();
            platform.ringing.clear();
            platform.rang.clear();
            platform.armed.clear();
        }
        Form1->Timer1Timer();
        platform.advance(1);
        if (second == 86400 - 1) heapAfterDayOne = heapInUse();
        if (second == 7 * 86400 - 1) heapAfterDaySeven = heapInUse();
    }
    EXPECT_EQ(ringsPerAlarm.size(), 168u);
    for (std::size_t i = 0; i < ringsPerAlarm.size(); ++i)
        EXPECT_EQ(ringsPerAlarm[i], 60u) << "alarm " << i;
    EXPECT_LT(heapAfterDaySeven, heapAfterDayOne + 64 * 1024)
        << heapAfterDayOne << " -> " << heapAfterDaySeven;
}
