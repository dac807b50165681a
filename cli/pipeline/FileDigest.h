// The size and SHA-256 of an input, read once from start to end, so that a
// record says which bytes it is about.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace lumerra::cli::pipeline {

struct TFileDigest {
    int64_t Size = 0;
    std::string Sha256;  // lowercase hex
};

// Nothing when the file cannot be opened or read.
std::optional<TFileDigest> DigestFile(const std::string& Path);

}  // namespace lumerra::cli::pipeline
