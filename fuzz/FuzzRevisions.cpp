// The revision reader: a file that extended reading loads has its history
// read, or refused with a message. Nothing may crash, hang or grow without
// bound, whatever the chain, the markers or the byte ranges say; what is
// read must hold together.
#include <algorithm>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "history/DocumentHistory.h"
#include "pdf/ExtendedAnalyst.h"
#include "pdf/PDFAnalyst.h"

using namespace lumerra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    TExtendedAnalyst analyst;
    try {
        analyst.LoadFromStream(fuzz::MemoryOf(Data, Size), "fuzz.pdf");
    } catch (const Exception&) {
        return 0;
    }
    // Revisions count in the file's own bytes, junk before the header and all.
    const int64_t size = analyst.Stream()->Size() + analyst.HeaderOffset();
    TDocumentHistory history;
    try {
        history = ReadDocumentHistory(analyst);
    } catch (const Exception& e) {
        fuzz::Require(!e.Message().empty(), "a refused history says why");
        return 0;
    }
    const std::vector<TRevision>& revisions = history.Chain.Revisions;
    fuzz::Require(!revisions.empty(), "a chain has a newest section");
    fuzz::Require(history.Changes.size() == revisions.size(), "one list of changes per revision");
    fuzz::Require(history.Chain.AfterLastEof >= 0 && history.Chain.AfterLastEof <= size, "the tail lies in the file");
    // Revisions and unlinked sections share the file out between them.
    std::vector<const TRevision*> parts;
    for (const TRevision& part : revisions) parts.push_back(&part);
    for (const TRevision& part : history.Chain.Unlinked) parts.push_back(&part);
    std::sort(parts.begin(), parts.end(), [](const TRevision* A, const TRevision* B) { return A->End < B->End; });
    for (size_t i = 0; i < parts.size(); ++i) {
        fuzz::Require(parts[i]->End > 0 && parts[i]->End <= size, "a revision ends inside the file");
        fuzz::Require(parts[i]->Start == (i == 0 ? 0 : parts[i - 1]->End), "a revision starts where the last ended");
        fuzz::Require(i == 0 || parts[i]->End > parts[i - 1]->End, "no two revisions end at one place");
        fuzz::Require(!parts[i]->Sections.empty(), "a revision has its sections");
    }
    for (const TSignature& signature : history.Signatures) {
        fuzz::Require(signature.Revision >= 0 && signature.Revision <= static_cast<int32_t>(revisions.size()),
                      "a signature covers a revision of the file or none");
        fuzz::Require(signature.Revision > 0 || !signature.Findings.empty(), "a range that ends nowhere is a finding");
        fuzz::Require(signature.ByteRange.empty() || signature.ByteRange.size() == 4, "a byte range has four numbers");
    }
    fuzz::Require(history.Reviews.size() == history.Signatures.size(), "one review per signature");
    for (size_t i = 0; i < history.Reviews.size(); ++i) {
        const TSignatureReview& review = history.Reviews[i];
        const int32_t signedRevision = history.Signatures[i].Revision;
        fuzz::Require(review.Later.size() == (signedRevision > 0 ? revisions.size() - static_cast<size_t>(signedRevision) : 0),
                      "every revision after the signed one is judged");
        for (const TLaterRevision& later : review.Later) {
            fuzz::Require(later.Revision > signedRevision, "a later revision comes after the signed one");
            for (const TChangedObject& object : later.Objects)
                fuzz::Require(object.Level <= later.Level, "no object goes further than its revision");
        }
        for (const TShadowFinding& finding : review.Findings)
            fuzz::Require(!finding.Objects.empty(), "a finding names its objects");
    }
    return 0;
}
