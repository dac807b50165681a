// "lumerra show": objects of a PDF file, as the file means them, in PDF
// syntax or as JSON.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/FileDriver.h"

namespace lumerra::cli {

struct TShowArgs {
    enum class TData : uint8_t { Decoded, Raw, Hex };
    std::string Input;
    std::vector<std::string> Whats;  // "trailer" when none is given
    bool Json = false;
    TData Data = TData::Decoded;
    bool DataAsked = false;  // --decoded, --raw or --hex given: JSON then carries the data
    std::optional<int32_t> Revision;
    std::optional<std::string> Password;
};

// Every WHAT must parse before the file is read: EUsageError otherwise.
void CheckShowTargets(const std::vector<std::string>& Whats);

// Shows each WHAT of Args in turn: 0, 1 when the file does not hold one of
// them (the reason on Err), or 2 for a revision the file does not have.
int RunShow(const TShowArgs& Args, std::ostream& Out, std::ostream& Err, const TFileWatch& Watch = {});

}  // namespace lumerra::cli
