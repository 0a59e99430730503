#pragma once
// The one conversion between UTF-8 and UTF-16, for markup, journal records, reports and
// the system's wide strings alike. Free of <windows.h>. Neither direction fails: what is
// not well formed becomes U+FFFD, so the output is always valid.
//
// Wide strings are read as UTF-16 (wchar_t is 16 bits on the Windows target); a code
// unit above 0xFFFF, possible only where wchar_t is 32 bits, is taken as a code point.
#include <cstddef>
#include <string>
#include <string_view>

// A surrogate pair becomes one 4-byte sequence; a lone surrogate becomes U+FFFD, as the
// system converter does.
std::string Utf16ToUtf8(std::wstring_view text);
// What is not well formed (a stray continuation byte, a cut or overlong sequence, a
// surrogate, a value above U+10FFFF) becomes U+FFFD, one for each maximal subpart: the
// longest start of a well-formed sequence, or else a single byte (Unicode's recommended
// practice, as browsers read). Characters beyond U+FFFF become surrogate pairs.
std::wstring Utf8ToUtf16(std::string_view text);

// The length of the well-formed UTF-8 sequence that starts at `at` (< text.size()), or 0
// when none does: the rule both the conversion and the journal's check apply.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at);
