#include "cli/pipeline/FileStatus.h"

namespace lumerra::cli::pipeline {

std::string_view StatusName(TFileStatus Status) {
    switch (Status) {
        case TFileStatus::Ok: return "ok";
        case TFileStatus::Findings: return "findings";
        case TFileStatus::DamagedRepaired: return "damaged-repaired";
        case TFileStatus::Unreadable: return "unreadable";
        case TFileStatus::Encrypted: return "encrypted";
        case TFileStatus::Timeout: return "timeout";
        case TFileStatus::MemoryLimit: return "memory-limit";
        case TFileStatus::Crashed: return "crashed";
    }
    return "crashed";
}

TFileStatus StatusOf(const TFileFacts& Facts) {
    if (Facts.Failed) return Facts.Encrypted ? TFileStatus::Encrypted : TFileStatus::Unreadable;
    if (Facts.Findings) return TFileStatus::Findings;
    return Facts.Diagnostics ? TFileStatus::DamagedRepaired : TFileStatus::Ok;
}

}  // namespace lumerra::cli::pipeline
