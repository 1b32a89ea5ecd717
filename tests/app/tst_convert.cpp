#include "app/convert.h"
#include "app/errors.h"

#include <gtest/gtest.h>

struct ConvertCase {
    const char* text;
    std::optional<std::int32_t> value;
};

class ConvertTest : public ::testing::TestWithParam<ConvertCase> {};

TEST_P(ConvertTest, ReadsLikeThePascalRuntime) {
    EXPECT_EQ(tryStrToInt(GetParam().text), GetParam().value) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ConvertTest,
    ::testing::Values(ConvertCase{"0", 0}, ConvertCase{"09", 9}, ConvertCase{"  +2", 2},
                      ConvertCase{"-30", -30}, ConvertCase{"$A", 10}, ConvertCase{"$ff", 255},
                      ConvertCase{"$FFFFFFFF", -1}, ConvertCase{"2147483647", 2147483647},
                      ConvertCase{"-2147483648", INT32_MIN},
                      ConvertCase{"2147483648", std::nullopt},
                      ConvertCase{"4294967296", std::nullopt},
                      ConvertCase{"$100000000", std::nullopt}, ConvertCase{"", std::nullopt},
                      ConvertCase{"   ", std::nullopt}, ConvertCase{"-", std::nullopt},
                      ConvertCase{"$", std::nullopt}, ConvertCase{"1 ", std::nullopt},
                      ConvertCase{"0x1", std::nullopt}, ConvertCase{"9:", std::nullopt},
                      ConvertCase{"+-1", std::nullopt}));

TEST(StrToInt, NamesTheTextThatIsNotANumber) {
    try {
        StrToInt("9:");
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'9:' は整数ではありません");
    }
}
