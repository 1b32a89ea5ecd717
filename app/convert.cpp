#include "app/convert.h"

#include "app/errors.h"

#include <charconv>

std::optional<std::int32_t> tryStrToInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    if (i == text.size()) return std::nullopt;

    bool negative = false;
    int base = 10;
    if (text[i] == '$') {
        base = 16;
        ++i;
    } else if (text[i] == '+' || text[i] == '-') {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size()) return std::nullopt;

    // Hexadecimal fills all 32 bits (so "$FFFFFFFF" is -1); decimal keeps the sign range.
    std::uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        value = value * base + digit;
        if (value > 0xFFFFFFFFull) return std::nullopt;
    }
    if (base == 16) return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    if (negative) {
        if (value > 0x80000000ull) return std::nullopt;
        return static_cast<std::int32_t>(-static_cast<std::int64_t>(value));
    }
    if (value > 0x7FFFFFFFull) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::int32_t StrToInt(std::string_view text) {
    if (const auto value = tryStrToInt(text)) return *value;
    throw EConvertError("'" + std::string(text) + "' は整数ではありません");
}

std::int32_t StrToIntDef(std::string_view text, std::int32_t fallback) {
    return tryStrToInt(text).value_or(fallback);
}

std::string IntToStr(std::int64_t value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}
