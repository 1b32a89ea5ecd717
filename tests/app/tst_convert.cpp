#include "app/convert.h"
#include "app/errors.h"

#include <gtest/gtest.h>

// Numbers as the settings file and the time box give them: decimal or "$" hexadecimal,
// leading blanks, 32 bits at most.
TEST(Convert, ReadsLikeThePascalRuntime) {
    const std::pair<const char*, std::optional<std::int32_t>> cases[] = {{"09", 9},
                                                                         {"  +2", 2},
                                                                         {"-30", -30},
                                                                         {"$ff", 255},
                                                                         {"$FFFFFFFF", -1},
                                                                         {"2147483647", INT32_MAX},
                                                                         {"-2147483648", INT32_MIN},
                                                                         {"2147483648", {}},
                                                                         {"4294967296", {}},
                                                                         {"$100000000", {}},
                                                                         {"", {}},
                                                                         {"-", {}},
                                                                         {"$", {}},
                                                                         {"1 ", {}},
                                                                         {"0x1", {}},
                                                                         {"9:", {}},
                                                                         {"+-1", {}}};
    for (const auto& [text, value] : cases) EXPECT_EQ(tryStrToInt(text), value) << text;
    EXPECT_THROW(
        try { StrToInt("9:"); } catch (const EConvertError& e) {
            EXPECT_STREQ(e.what(), "'9:' は整数ではありません");
            throw;
        },
        EConvertError);
}
