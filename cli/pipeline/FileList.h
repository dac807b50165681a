// The inputs of a pipeline run: a list of paths, one per line or each ended
// by a NUL byte. The list comes from anyone, so its reader takes any bytes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lumerra::cli::pipeline {

// The paths of List, split at Separator ('\n' or '\0'). Empty entries are
// passed over; every other byte, '\r' included, belongs to its path, since
// a path may hold it.
std::vector<std::string> SplitFileList(std::string_view List, char Separator);

// The whole of Source: standard input for "-", otherwise the named file.
// Raises Exception (cannot-open-file, read-error) when it cannot be read.
std::string ReadListSource(const std::string& Source);

}  // namespace lumerra::cli::pipeline
