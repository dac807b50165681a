#include "objects/ObjectFinding.h"

namespace lumerra::objects {

namespace {

constexpr std::array<std::string_view, ObjectCodeCount> Names{
    "missing-key",  "wrong-type", "not-indirect", "not-direct",   "value-not-allowed", "array-length",
    "newer-than-file", "deprecated", "unknown-key", "special-case", "no-type-fits",      "types-tie"};

}  // namespace

std::string_view CodeName(TObjectCode Code) { return Names[static_cast<size_t>(Code)]; }


TObjectSeverity SeverityOf(TObjectCode Code) {
    switch (Code) {
    case TObjectCode::NewerThanFile:
    case TObjectCode::NoTypeFits:
        return TObjectSeverity::Warning;
    case TObjectCode::Deprecated:
    case TObjectCode::UnknownKey:
    case TObjectCode::TypesTie:
        return TObjectSeverity::Info;
    default:
        return TObjectSeverity::Error;
    }
}

std::string VersionText(int Version) {
    return std::to_string(Version / 10) + "." + std::to_string(Version % 10);
}

}  // namespace lumerra::objects
