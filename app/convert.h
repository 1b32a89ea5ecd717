#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Integer conversion of the classic Pascal runtime: leading blanks, then either
// "$" and hexadecimal digits, or an optional sign and decimal digits, up to the
// end of the text. Anything else, or a value outside 32 bits, fails.
std::optional<std::int32_t> tryStrToInt(std::string_view text);

// Throws EConvertError "'<text>' は整数ではありません" when the text is not an integer.
std::int32_t StrToInt(std::string_view text);

std::int32_t StrToIntDef(std::string_view text, std::int32_t fallback);

// Decimal text, with a leading "-" for negative values.
std::string IntToStr(std::int64_t value);
