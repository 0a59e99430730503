#pragma once
// Whole numbers as decimal text, for the log, the registry and the windows. The C
// library's wide formatting (std::to_wstring, swprintf) would link the whole printf
// machinery, floating point included, into every program that ships, for nothing but
// integers. Free of <windows.h>.
//
// Failure contract: none but the string's own; std::bad_alloc as any string.
#include <concepts>
#include <cstdint>
#include <string>

std::wstring SignedDecimalText(std::int64_t value);
std::wstring UnsignedDecimalText(std::uint64_t value);

// `value` in decimal, with no sign for zero or more and '-' for less.
template <std::integral T>
std::wstring DecimalText(T value) {
    if constexpr (std::signed_integral<T>)
        return SignedDecimalText(value);
    else
        return UnsignedDecimalText(value);
}

// `value` in decimal with leading zeros up to `width` digits ("%0*u"): dates, times.
std::wstring ZeroPaddedDecimal(std::uint64_t value, std::size_t width);
