#include "check/Finding.h"

#include "syntax/CharClass.h"

namespace lumerra::check {

std::string_view CodeName(TFindingCode Code) {
    switch (Code) {
        case TFindingCode::SaveRestore: return "save-restore";
        case TFindingCode::TextObject: return "text-object";
        case TFindingCode::MarkedContent: return "marked-content";
        case TFindingCode::Compatibility: return "compatibility";
        case TFindingCode::OperandCount: return "operand-count";
        case TFindingCode::OperandType: return "operand-type";
        case TFindingCode::UnknownOperator: return "unknown-operator";
        case TFindingCode::UndeclaredResource: return "undeclared-resource";
        case TFindingCode::UnusedResource: return "unused-resource";
        case TFindingCode::TextOutsideTextObject: return "text-outside-text-object";
        case TFindingCode::OperatorPlacement: return "operator-placement";
        case TFindingCode::InlineImage: return "inline-image";
        case TFindingCode::Syntax: return "syntax";
        case TFindingCode::OperandValue: return "operand-value";
        case TFindingCode::BadResource: return "bad-resource";
        case TFindingCode::Unchecked: return "unchecked";
        case TFindingCode::NoPages: return "no-pages";
    }
    return "syntax";
}

std::string_view StreamKindName(TStreamKind Kind) {
    switch (Kind) {
        case TStreamKind::None: return "";
        case TStreamKind::Pattern: return "pattern";
        case TStreamKind::SoftMask: return "soft-mask";
        case TStreamKind::Annotation: return "annotation";
        case TStreamKind::Glyph: return "glyph";
    }
    return "";
}

void TPageFindings::Add(TFinding Finding) {
    ++FCounts[static_cast<size_t>(Finding.Severity)];
    if (FKept.size() >= FLimit) {
        ++FOmitted;
        return;
    }
    Finding.Page = FPage;
    FKept.push_back(std::move(Finding));
}

void TSeverityCounts::Add(const TPageFindings& Page) {
    for (size_t s = 0; s < SeverityCount; ++s) Counts[s] += Page.Count(static_cast<TSeverity>(s));
}

}  // namespace lumerra::check

namespace lumerra::check {

namespace {

// Bytes printable as they are, the others as Escape followed by two digits.
std::string Printable(std::string_view Bytes, std::string_view Escape, char Special) {
    constexpr size_t MaximumBytes = 32;
    std::string text;
    for (const char ch : Bytes.substr(0, MaximumBytes)) {
        const auto c = static_cast<uint8_t>(ch);
        if (c > 0x20 && c < 0x7F && c != Special) {
            text += ch;
        } else {
            text += Escape;
            text += UpperHexDigits[c >> 4];
            text += UpperHexDigits[c & 15];
        }
    }
    if (Bytes.size() > MaximumBytes) text += "...";
    return text;
}

}  // namespace

std::string PrintableName(std::string_view Bytes) { return Printable(Bytes, "#", '#'); }

std::string PrintableOperator(std::string_view Bytes) { return Printable(Bytes, "\\x", '\\'); }

}  // namespace lumerra::check
