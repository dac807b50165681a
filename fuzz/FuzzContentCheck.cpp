// The content check over any bytes, as one stream or cut in two as a
// /Contents array cuts a page: it ends, keeps at most its limit of
// findings, counts every one, and places each inside the data it read.
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const uint8_t selector = TakeByte(Data, Size);
    const std::span<const uint8_t> bytes(Data, Size);
    const size_t cut = Size == 0 ? 0 : selector % (Size + 1);
    TResourceNames names = Resources();
    TPageFindings findings(1, 50);
    int forms = 0;
    {
        TContentChecker checker(names, findings, (selector & 0x80) != 0 ? "Fm0" : "");
        checker.SetFormVisitor([&](const std::string&, const TDeclaredResource& Form) {
            Require(Form.Form && Form.Object == 9, "only declared forms are visited");
            ++forms;
        });
        {
            // Freed before the second stream is read, as a page's buffer is
            // overwritten: operands kept from it must not point into it.
            const std::vector<uint8_t> first(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut));
            checker.Check(first, 4);
        }
        checker.Check(bytes.subspan(cut), 5);
        checker.Finish();
    }
    Require(findings.Kept().size() <= 50, "findings are bounded");
    Require(findings.Count(TSeverity::Error) + findings.Count(TSeverity::Warning) + findings.Count(TSeverity::Info) ==
                static_cast<int64_t>(findings.Kept().size()) + findings.Omitted(),
            "every finding is counted");
    for (const TFinding& f : findings.Kept()) {
        const int64_t size = static_cast<int64_t>(f.Object == 4 ? cut : Size - cut);
        Require(f.Offset < 0 || f.Offset <= size, "a finding stands inside its stream");
        Require(f.Offset < 0 || f.Object == 4 || f.Object == 5, "a placed finding names its stream");
        Require(f.Operator.size() <= 32 * 3 + 3, "an operator is shown short");
    }
    const size_t end = FindImageEnd(bytes, 0);
    Require(end == SIZE_MAX || (end + 2 <= Size && bytes[end] == 'E' && bytes[end + 1] == 'I'), "EI is found where it is");
    return 0;
}
