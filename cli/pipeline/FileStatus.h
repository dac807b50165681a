// What happened to one input of a pipeline run, as its record says it.
#pragma once

#include <cstdint>
#include <string_view>

namespace lumerra::cli::pipeline {

enum class TFileStatus : uint8_t {
    Ok,
    Findings,         // check found an error-level finding
    DamagedRepaired,  // read, but something was repaired or could not be decoded
    Unreadable,
    Encrypted,        // could not be opened: encrypted without a password that opens it
    Timeout,
    MemoryLimit,
    Crashed,
};

// "ok", "findings", "damaged-repaired", "unreadable", "encrypted",
// "timeout", "memory-limit", "crashed".
std::string_view StatusName(TFileStatus Status);

// What the file's run told about it, in the worker.
struct TFileFacts {
    bool Failed = false;
    bool Encrypted = false;  // the file is, or the error is about its encryption
    bool Findings = false;
    bool Diagnostics = false;  // anything repaired or damaged was told
};

// A failure first (encrypted or unreadable), then findings, then damage.
TFileStatus StatusOf(const TFileFacts& Facts);

}  // namespace lumerra::cli::pipeline
