// Values written back in PDF syntax, for a person reading them: each name
// in its one written form, strings as (...) when they are text and as <hex>
// when they are not, references as "N G R", and dictionaries one entry a
// line, nested ones indented.
#pragma once

#include <string>
#include <string_view>

#include "syntax/Value.h"

namespace lumerra {

// "/" and the name's bytes; "#xx" for '#', delimiters, white space and
// bytes outside 0x21..0x7E.
std::string WrittenName(std::string_view Decoded);
// True when every byte is printable ASCII or a tab, line feed, carriage
// return, backspace or form feed: the string reads as text.
bool IsPlainText(std::string_view Bytes);
// "(...)" with \-escapes for plain text, "<hex>" otherwise.
std::string WrittenString(std::string_view Bytes);
// Value in PDF syntax. A stream is written as its dictionary. Indent is the
// depth of the value's first line, two spaces a level.
std::string WrittenValue(const TValue& Value, int Indent = 0);

}  // namespace lumerra
