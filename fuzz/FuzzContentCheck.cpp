// The content check over any bytes: as one stream then another, as a form
// calls a form, or as one content joined from one to three parts, as a page's
// /Contents array joins them, cut where the input says. It ends, keeps at
// most its limit of findings, counts every one, and places each inside the
// part it stands in.
#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

#include "check/ContentChecker.h"
#include "check/InlineImage.h"
#include "fuzz/FuzzSupport.h"

using namespace lumerra;
using namespace lumerra::check;
using namespace lumerra::fuzz;

namespace {

TResourceNames Resources() {
    TResourceNames names;
    names.Declare(TResourceCategory::Font, "F1", {});
    names.Declare(TResourceCategory::XObject, "Fm0", {.Object = 9, .Form = true});
    names.Declare(TResourceCategory::ColorSpace, "CS0", {.Space = TColourSpace::Device(3)});
    names.Declare(TResourceCategory::ColorSpace, "P0", {.Space = TColourSpace::PatternOf(1)});
    names.Declare(TResourceCategory::Pattern, "P1", {});
    return names;
}

struct TRun {
    TPageFindings Findings{1, 50};
    std::vector<size_t> PartSizes;  // of object 4, 5, 6, ... in that order
};

void Visit(TContentChecker& Checker) {
    Checker.SetFormVisitor([](const std::string&, const TDeclaredResource& Form) {
        Require(Form.Form && Form.Object == 9, "only declared forms are visited");
    });
}

// Two calls, the first one's buffer freed before the second is read, as a
// page's buffer is overwritten: operands kept from it must not point into it.
void CheckInTwoCalls(std::span<const uint8_t> Bytes, size_t Cut, bool Form, TRun& Run) {
    TResourceNames names = Resources();
    TContentChecker checker(names, Run.Findings, Form ? "Fm0" : "");
    Visit(checker);
    {
        const std::vector<uint8_t> first(Bytes.begin(), Bytes.begin() + static_cast<std::ptrdiff_t>(Cut));
        checker.Check(first, 4);
    }
    checker.Check(Bytes.subspan(Cut), 5);
    checker.Finish();
    Run.PartSizes = {Cut, Bytes.size() - Cut};
}

// The parts joined with a line end after each, as the page check joins them.
void CheckJoined(std::span<const uint8_t> Bytes, std::vector<size_t> Cuts, TRun& Run) {
    std::sort(Cuts.begin(), Cuts.end());
    Cuts.push_back(Bytes.size());
    std::vector<uint8_t> joined;
    std::vector<TContentPart> parts;
    size_t from = 0;
    for (const size_t cut : Cuts) {
        parts.push_back({static_cast<int64_t>(joined.size()), 4 + static_cast<int32_t>(parts.size())});
        joined.insert(joined.end(), Bytes.begin() + static_cast<std::ptrdiff_t>(from),
                      Bytes.begin() + static_cast<std::ptrdiff_t>(cut));
        joined.push_back('\n');
        Run.PartSizes.push_back(cut - from);
        from = cut;
    }
    TResourceNames names = Resources();
    TContentChecker checker(names, Run.Findings);
    Visit(checker);
    checker.Check(joined, parts);
    checker.Finish();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const uint8_t selector = TakeByte(Data, Size);
    TRun run;
    if ((selector & 0x40) != 0) {
        // One to three parts, cut at positions the next bytes give.
        std::vector<size_t> cuts;
        for (int i = 0; i < selector % 3; ++i) cuts.push_back(TakeByte(Data, Size));
        for (size_t& cut : cuts) cut = Size == 0 ? 0 : cut * Size / 255;
        CheckJoined({Data, Size}, cuts, run);
    } else {
        CheckInTwoCalls({Data, Size}, Size == 0 ? 0 : selector % (Size + 1), (selector & 0x80) != 0, run);
    }
    const TPageFindings& findings = run.Findings;
    Require(findings.Kept().size() <= 50, "findings are bounded");
    Require(findings.Count(TSeverity::Error) + findings.Count(TSeverity::Warning) + findings.Count(TSeverity::Info) ==
                static_cast<int64_t>(findings.Kept().size()) + findings.Omitted(),
            "every finding is counted");
    for (const TFinding& f : findings.Kept()) {
        // At most 32 bytes, each \xNN at worst, and "...".
        Require(f.Operator.size() <= 32 * 4 + 3, "an operator is shown short");
        if (f.Offset < 0) {
            Require(f.OperandOffset < 0, "an operand is placed only beside its operator");
            continue;
        }
        const int64_t part = f.Object - 4;
        Require(part >= 0 && part < static_cast<int64_t>(run.PartSizes.size()), "a placed finding names its part");
        const auto size = static_cast<int64_t>(run.PartSizes[static_cast<size_t>(part)]);
        Require(f.Offset <= size, "a finding stands inside its part");
        Require(f.OperandOffset <= f.Offset, "an operand stands before its operator, in the same part");
    }
    const std::span<const uint8_t> bytes(Data, Size);
    const size_t end = FindImageEnd(bytes, 0);
    Require(end == SIZE_MAX || (end + 2 <= Size && bytes[end] == 'E' && bytes[end + 1] == 'I'), "EI is found where it is");
    return 0;
}
