// What the content check finds: a stable code, a severity, where it is
// (page, stream object, form, byte offset in the decoded stream), the
// operator and a message code with its parameters. The front ends make the
// lines (cli/FindingText, shell/FindingLines).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/FindingSeverity.h"
#include "common/Message.h"

namespace lumerra::check {

enum class TFindingCode : uint8_t {
    SaveRestore,
    TextObject,
    MarkedContent,
    Compatibility,
    OperandCount,
    OperandType,
    UnknownOperator,
    UndeclaredResource,
    UnusedResource,
    TextOutsideTextObject,
    OperatorPlacement,
    InlineImage,
    Syntax,
    OperandValue,  // an operand out of its operator's range
    BadResource,   // declared, but its object cannot be read or has the wrong type
    Unchecked,     // a stream that could not be decoded, or not whole
    NoPages,       // no page was found to check
    Last = NoPages
};

using TSeverity = TFindingSeverity;
inline constexpr size_t SeverityCount = FindingSeverityCount;
using lumerra::SeverityName;

// The codes as users and scripts see them ("save-restore").
std::string_view CodeName(TFindingCode Code);

// A stream that draws, other than a page's content and the forms it draws.
enum class TStreamKind : uint8_t { None, Pattern, SoftMask, Annotation, Glyph };
// As users and scripts see it ("pattern"); empty for None.
std::string_view StreamKindName(TStreamKind Kind);

struct TFinding {
    TFindingCode Code = TFindingCode::Syntax;
    TSeverity Severity = TSeverity::Error;
    int32_t Page = 0;     // from 1; 0 for a finding about the whole file
    int32_t Object = -1;  // the stream object, -1 when the finding is about no one stream
    std::string Form;     // the form's resource name (no slash), empty on the page itself
    TStreamKind Stream = TStreamKind::None;
    std::string StreamName;  // "/P1" for a pattern, "12 /N" for annotation 12's normal appearance
    int64_t Offset = -1;  // of the operator in the decoded stream, -1 when it has none
    int64_t OperandOffset = -1;  // of the operand the finding is about, in the same stream
    std::string Operator;
    TMessage Message;
};

// The findings of one page. Only the first Limit are kept, so that a hostile
// stream costs bounded memory; the rest are counted.
class TPageFindings {
public:
    static constexpr size_t DefaultLimit = 200;

    explicit TPageFindings(int32_t Page = 0, size_t Limit = DefaultLimit) : FPage(Page), FLimit(Limit) {}

    void Add(TFinding Finding);

    int32_t Page() const { return FPage; }
    const std::vector<TFinding>& Kept() const { return FKept; }
    // Findings past the limit, not kept.
    int64_t Omitted() const { return FOmitted; }
    // All findings of a severity, the omitted ones included.
    int64_t Count(TSeverity Severity) const { return FCounts[static_cast<size_t>(Severity)]; }

private:
    int32_t FPage;
    size_t FLimit;
    std::vector<TFinding> FKept;
    int64_t FOmitted = 0;
    std::array<int64_t, SeverityCount> FCounts{};
};

// Totals over several pages.
struct TSeverityCounts {
    std::array<int64_t, SeverityCount> Counts{};
    void Add(const TPageFindings& Page);
    int64_t operator[](TSeverity Severity) const { return Counts[static_cast<size_t>(Severity)]; }
};

}  // namespace lumerra::check

namespace lumerra::check {

// How a unit of the check tells what it found; its caller adds the page,
// the stream and the form.
using TReportFinding =
    std::function<void(TFindingCode Code, TSeverity Severity, int64_t Offset, std::string_view Operator, TMessage Message)>;

// A name as a finding shows it: printable ASCII as it is, any other byte
// and "#" as "#xx", the name's own escape; at most 32 bytes (a hostile
// stream's names may be anything).
std::string PrintableName(std::string_view Bytes);
// An operator as a finding shows it: its bytes, "\xNN" for those that are
// not printable (and for "\"), at most 32 bytes.
std::string PrintableOperator(std::string_view Bytes);

}  // namespace lumerra::check
