// Triage of one file: the raw keyword counts, and where the parsed objects
// hold the name keywords.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "triage/NameScan.h"
#include "common/Message.h"
#include "triage/RawKeywords.h"

namespace lumerra {

struct TTriage {
    std::string File;
    TRawCounts Raw;
    // None when extended reading could not load the file; Error and
    // Context then say why (the raw counts stand on their own).
    std::optional<TKeywordObjects> Objects;
    TMessage Error;
    std::string Context;
};

// Raises EFOpenError or EReadError when the file cannot be read at all.
TTriage TriageFile(const std::string& FileName);

}  // namespace lumerra
