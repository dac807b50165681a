// Small text helpers shared by the subsystems.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lumerra {

// An ordered list of texts (page lists, content lists, filter lists...).
using TStringList = std::vector<std::string>;

// The integer of a text made of an optional sign and decimal digits that fits
// in a signed 32-bit integer; Default for anything else.
int32_t StrToIntDef(std::string_view text, int32_t Default);

// The last component of a path (what follows the last '/').
std::string ExtractFileName(std::string_view path);
// The extension of a path's last component, dot included ("" when none).
std::string ExtractFileExt(std::string_view path);
// The path with its extension replaced (ext includes the dot).
std::string ChangeFileExt(std::string_view path, std::string_view ext);
// ASCII case-insensitive comparison.
bool SameText(std::string_view a, std::string_view b);

// An integer grouped by threes with commas: 1234567 gives "1,234,567".
std::string FormatThousands(int64_t value);
// Appends the UTF-8 form of one Unicode code point.
void AppendUtf8(std::string& Out, uint32_t CodePoint);

}  // namespace lumerra
