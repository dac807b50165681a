// --revision N: a command reads the document as revision N left it, which
// is the file's first bytes up to the end of that revision.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "cli/CommandLine.h"

namespace lumerra {
class TPDFAnalyst;
}

namespace lumerra::cli {

// A revision the file does not have: wrong usage, and no report is written.
class ERevisionOutOfRange : public EUsageError {
public:
    using EUsageError::EUsageError;
};

// Loads Input into Analyst (set up already: reading, password), whole when
// Revision is absent, else as revision Revision (from 1) left it.
void LoadDocument(TPDFAnalyst& Analyst, const std::string& Input, const std::optional<int32_t>& Revision,
                  const std::optional<std::string>& Password);

}  // namespace lumerra::cli
