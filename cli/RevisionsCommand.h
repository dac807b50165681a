// "lumerra revisions": each revision of a PDF file, what it added, changed
// and freed, and the signatures with what changed after them.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "common/Diagnostic.h"
#include "history/DocumentHistory.h"

#include "cli/FileDriver.h"

namespace lumerra::cli {

// One line per revision, then one per signature and its findings, then the
// bytes after the last "%%EOF"; the first line names the file.
std::string FormatRevisions(const std::string& File, const TDocumentHistory& History);
// One JSON document on one line, the file's diagnostics last.
std::string FormatRevisionsJson(const std::string& File, const TDocumentHistory& History,
                                const TDiagnostics& Diagnostics);

// Reads each input and writes its history to Out; a failure is told on Err
// (and, for JSON, as {"file", "error"} on Out) and the other files are still
// done. Returns the exit code: 1 when any failed.
// Password opens encrypted files, after the empty one.
int RunRevisions(const std::vector<std::string>& Inputs, bool Json, std::ostream& Out, std::ostream& Err,
                 const std::optional<std::string>& Password = std::nullopt, const TFileWatch& Watch = {});

}  // namespace lumerra::cli
