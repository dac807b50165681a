// "lumerra info": the structure of a PDF file as "key: value" lines, or as
// one JSON object per file.
#pragma once

#include <cstdint>
#include <ostream>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "common/Diagnostic.h"
#include "cli/FileDriver.h"
#include "common/StrUtils.h"
#include "pdf/PDFAnalyst.h"

namespace lumerra::cli {

// One property: a number, yes/no, text, a list of numbers, or a list of
// numbers as the file wrote them (numbers in JSON).
using TInfoValue = std::variant<int64_t, bool, std::string, std::vector<int64_t>, TStringList>;
using TInfoFields = std::vector<std::pair<std::string, TInfoValue>>;

// The properties of a loaded document in the order they are printed; Pages
// is its page list.
TInfoFields InfoFields(TPDFAnalyst& Analyst, const TIDList& Pages);
// The "key: value" lines of the fields.
std::string FormatInfo(const TInfoFields& Fields);
// One JSON object on one line, the file's diagnostics last.
std::string FormatInfoJson(const TInfoFields& Fields, const TDiagnostics& Diagnostics);

// Loads each input and writes its properties to Out, as text or JSON lines;
// a failure is told on Err (and, for JSON, as {"file", "error"} on Out) and
// the other files are still done. Returns the exit code: 1 when any failed.
// With Revision, each document as that revision left it; a file without it
// is told on Err only, and the exit code is 2.
int RunInfo(const std::vector<std::string>& Inputs, bool Extended, bool Json, std::ostream& Out,
            std::ostream& Err, const std::optional<std::string>& Password = std::nullopt,
            const std::optional<int32_t>& Revision = std::nullopt, const TFileWatch& Watch = {});

}  // namespace lumerra::cli
