// Triage over any bytes: the raw counts are the same however the data is
// cut into pieces and stay within what the data can hold; a document that
// loads gives its name keywords in increasing object order.
#include <cstdint>
#include <span>

#include "fuzz/FuzzSupport.h"
#include "pdf/ExtendedAnalyst.h"
#include "pdf/PDFAnalyst.h"
#include "triage/NameScan.h"
#include "triage/RawKeywords.h"

using namespace lumerra;
using namespace lumerra::fuzz;

namespace {

TRawCounts CountInPieces(std::span<const uint8_t> Data, size_t Piece) {
    TRawKeywordCounter counter;
    for (size_t at = 0; at < Data.size(); at += Piece) counter.Add(Data.subspan(at, std::min(Piece, Data.size() - at)));
    return counter.Finish();
}

bool SameCounts(const TRawCounts& A, const TRawCounts& B) {
    for (size_t i = 0; i < A.Keywords.size(); ++i)
        if (A.Keywords[i].Raw != B.Keywords[i].Raw || A.Keywords[i].Escaped != B.Keywords[i].Escaped) return false;
    return A.ColorsAbove2To24 == B.ColorsAbove2To24 && A.EofMarkers == B.EofMarkers &&
           A.AfterLastEof == B.AfterLastEof;
}

void CheckNameScan(const uint8_t* Data, size_t Size) {
    TExtendedAnalyst analyst;
    try {
        analyst.LoadFromStream(MemoryOf(Data, Size), "fuzz.pdf");
    } catch (const Exception&) {
        return;
    }
    const TKeywordObjects objects = ScanNameKeywords(analyst);
    for (size_t i = 0; i < objects.size(); ++i) {
        Require(IsNameKeyword(i) || objects[i].empty(), "only names are found in objects");
        for (size_t k = 1; k < objects[i].size(); ++k) Require(objects[i][k - 1] < objects[i][k], "objects in order");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const size_t piece = 1 + TakeByte(Data, Size) % 7;
    const std::span<const uint8_t> data(Data, Size);
    const TRawCounts whole = CountInPieces(data, data.size() + 1);
    Require(SameCounts(whole, CountInPieces(data, piece)), "pieces give the same counts");
    for (const TKeywordCount& count : whole.Keywords) {
        Require(count.Escaped <= count.Raw, "escaped spellings are among the raw ones");
        Require(count.Raw * 2 <= static_cast<int64_t>(Size), "every keyword takes bytes");
    }
    Require(whole.ColorsAbove2To24 * 9 <= static_cast<int64_t>(Size), "every /Colors number takes bytes");
    Require(whole.EofMarkers * 5 <= static_cast<int64_t>(Size), "every marker takes bytes");
    Require(whole.AfterLastEof.value_or(0) <= static_cast<int64_t>(Size), "the tail lies inside the data");
    const THeaderLine header = FindHeaderLine(data);
    Require(header.CountFrom <= Size && (header.Header || header.CountFrom == 0), "the header line inside the data");
    CheckNameScan(Data, Size);
    return 0;
}
