#include "base/pure/DecimalText.h"

#include <charconv>

namespace {

template <typename T>
std::wstring Widened(T value) {
    char digits[24];  // 20 digits of 2^64, a sign
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    return std::wstring(digits, end);
}

}  // namespace

std::wstring SignedDecimalText(std::int64_t value) { return Widened(value); }

std::wstring UnsignedDecimalText(std::uint64_t value) { return Widened(value); }

std::wstring ZeroPaddedDecimal(std::uint64_t value, std::size_t width) {
    std::wstring text = Widened(value);
    if (text.size() < width) text.insert(0, width - text.size(), L'0');
    return text;
}
