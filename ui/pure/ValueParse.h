#pragma once
// Parsing of markup values: numbers, number lists, colours, booleans, attribute lists
// (the UTF-8 conversion, base/pure/Utf.h, comes with them). None of these fail: malformed text gives what could
// be read (missing numbers are 0), never more.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>
#include "base/pure/Utf.h"
#include "ui/pure/Geometry.h"

// Decimal integer after optional blanks and sign; stops at the first other character.
// Saturates at the int range. `end` (optional) receives the index after the number.
int ParseInt(std::wstring_view text, size_t* end = nullptr);
// Comma-separated numbers ("0,0,10,10"); missing numbers are 0, extra ones ignored.
UIRect ParseRect(std::wstring_view text);
UISize ParseSize(std::wstring_view text);
// "#AARRGGBB" (the "#" optional); reads hexadecimal digits up to the first other character.
UIColor ParseColor(std::wstring_view text);
// True only for the text "true".
bool ParseBool(std::wstring_view text);

// A resource named in markup by its id: decimal digits and nothing else. Ids are 16 bits,
// 1 to 65535; a number outside that range names no resource (id 0), so that it never
// wraps round to another one. Any other text is a name, not an id (numeric false).
struct UIResourceId {
    bool numeric = false;
    uint16_t id = 0;
};
UIResourceId ParseResourceId(std::wstring_view text);

// name="value" pairs separated by blanks. A pair without "=" or without a closing quote
// ends the list; the pairs before it are returned.
std::vector<std::pair<std::wstring, std::wstring>> ParseAttributeList(std::wstring_view list);
