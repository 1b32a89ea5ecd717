#include "app/convert.h"
#include "app/errors.h"

#include <gtest/gtest.h>

// Numbers as the settings file and the time box give them: decimal or "$" hex, 32 bits at most.
TEST(Convert, ReadsLikeThePascalRuntime) {
    const char* texts[] = {"09", "  +2", "-30", "$ff", "$FFFFFFFF", "2147483647", "-2147483648"};
    const int values[] = {9, 2, -30, 255, -1, INT32_MAX, INT32_MIN};
    for (std::size_t i = 0; i < std::size(texts); ++i)
        EXPECT_EQ(tryStrToInt(texts[i]), values[i]) << texts[i];
    for (const char* text :
         {"2147483648", "4294967296", "$100000000", "", "-", "$", "1 ", "0x1", "+-1"})
        EXPECT_EQ(tryStrToInt(text), std::nullopt) << text;
    try {
        StrToInt("9:");
        ADD_FAILURE() << "taken";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'9:' は整数ではありません");
    }
}
