// What the object check finds: a stable code, a severity, which object and
// where it was reached from the trailer, the key, the model's type name,
// the PDF version concerned, and a message code with its parameters. The
// front ends make the lines (cli/ObjectCheckText).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/FindingSeverity.h"
#include "common/Message.h"

namespace lumerra::objects {

enum class TObjectCode : uint8_t {
    MissingKey,
    WrongType,
    NotIndirect,
    NotDirect,
    ValueNotAllowed,
    ArrayLength,
    NewerThanFile,
    Deprecated,
    UnknownKey,
    SpecialCase,
    NoTypeFits,  // none of a link's types fits the object: it is checked as none
    TypesTie,    // several fit equally: none is chosen
    Last = TypesTie
};
inline constexpr size_t ObjectCodeCount = static_cast<size_t>(TObjectCode::Last) + 1;

using TObjectSeverity = TFindingSeverity;
using lumerra::SeverityName;

// As users and scripts see them ("missing-key", "error").
std::string_view CodeName(TObjectCode Code);
TObjectSeverity SeverityOf(TObjectCode Code);

struct TObjectFinding {
    TObjectCode Code = TObjectCode::MissingKey;
    TObjectSeverity Severity = TObjectSeverity::Error;
    int32_t Object = -1;   // the indirect object that holds it; -1 for the trailer
    std::string Path;      // "trailer/Root/Pages/Kids/0"
    std::string Key;       // the key or array index; empty for the object itself
    std::string Type;      // the model's type name ("FontType1")
    int Version = 0;       // 17 for PDF 1.7; 0 when none is concerned
    bool SecondClass = false;  // an unknown key with a registered prefix
    TMessage Message;
};

// "1.7" from 17.
std::string VersionText(int Version);

}  // namespace lumerra::objects
