// The document information dictionary (the trailer's /Info): its text
// entries, decoded to UTF-8, and the bounded string readers they need.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "common/Stream.h"

namespace lumerra {

class TPDFAnalyst;

// Entries of the Info dictionary: the name info shows, the text as UTF-8.
using TInfoEntries = std::vector<std::pair<std::string, std::string>>;

// The longest string kept; the rest of a longer one is read and dropped.
inline constexpr size_t MaximumInfoString = 64 * 1024;
// The most bytes one string may span in the file: a "(" that is never closed
// costs this much, not the rest of the file.
inline constexpr size_t MaximumInfoStringSpan = 1024 * 1024;

// Called after "(": the literal string up to its balancing ")", escapes
// resolved and line ends made LF. Stops quietly at the end of the data or
// after MaximumInfoStringSpan bytes, keeping at most MaximumInfoString
// bytes. Returns false when the string did not end.
bool ReadLiteralString(TStream& S, std::string& Bytes);
// Called after a "<" that opens a hexadecimal string: the bytes up to ">".
// White space and stray bytes are passed over; an odd last digit counts as
// followed by 0. Bounded as ReadLiteralString.
bool ReadHexString(TStream& S, std::string& Bytes);

// A text string as UTF-8: UTF-16BE after FE FF (language marks dropped),
// UTF-8 after EF BB BF, PDFDocEncoding otherwise. What has no character
// becomes U+FFFD.
std::string TextStringToUtf8(const std::string& Bytes);

// The entries title, author, subject, keywords, creator, producer,
// creation-date and mod-date that the Info dictionary holds as strings
// (directly or through a reference), in that order, first definition
// winning. A missing, damaged or encrypted dictionary gives what could be
// read before the damage, maybe nothing; it never raises. Each reading
// reads the dictionary its own way (TPDFAnalyst::ReadInfoEntries).
TInfoEntries ReadDocInfo(TPDFAnalyst& Analyst);

}  // namespace lumerra
