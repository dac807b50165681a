#include "history/Signatures.h"

#include <algorithm>
#include <set>
#include <unordered_set>

#include "pdf/ObjectReader.h"
#include "pdf/PDFAnalyst.h"
#include "syntax/CharClass.h"

namespace lumerra {

namespace {

// The keys that tell a signature or a signature field.
const TParser::TKeyFilter SignatureKeys = {"Type", "FT", "V", "ByteRange", "Contents"};

// A hex string is at most this many times as long as its bytes, beyond its
// delimiters and some white space.
constexpr int64_t HexSlack = 4;

// Byte range numbers are offsets in 64 bits; past this, two of them added
// could overflow.
constexpr int64_t MaximumRangeNumber = int64_t{1} << 62;

std::vector<int64_t> ByteRangeOf(const TValue& Signature) {
    const TValue* range = Signature.Find("ByteRange");
    if (range == nullptr || !range->Is(TValue::TKind::Array) || range->Items().size() != 4) return {};
    std::vector<int64_t> numbers;
    for (const TValue& item : range->Items()) {
        if (!item.Is(TValue::TKind::Integer) || item.AsInteger() < 0 || item.AsInteger() > MaximumRangeNumber) return {};
        numbers.push_back(item.AsInteger());
    }
    return numbers;
}

// The byte range's faults; Revision set where it ends at a revision's end.
// File counts from the header, Origin bytes into the file; a byte range
// counts from the file's first byte, as do the revisions.
void CheckByteRange(TStream& File, int64_t Origin, const TValue& Signature, const std::vector<TRevision>& Revisions,
                    TSignature& Out) {
    Out.ByteRange = ByteRangeOf(Signature);
    if (Out.ByteRange.empty()) {
        Out.Findings.push_back(TSignatureFinding::Unreadable);
        return;
    }
    const int64_t a = Out.ByteRange[0], b = Out.ByteRange[1], c = Out.ByteRange[2], d = Out.ByteRange[3];
    if (a != 0) Out.Findings.push_back(TSignatureFinding::NotFromStart);
    const int64_t size = File.Size() + Origin;
    if (c + d > size) Out.Findings.push_back(TSignatureFinding::PastEnd);
    const auto covered = std::find_if(Revisions.begin(), Revisions.end(),
                                      [&](const TRevision& Revision) { return Revision.End == c + d; });
    if (covered == Revisions.end())
        Out.Findings.push_back(TSignatureFinding::NoRevisionEnd);
    else
        Out.Revision = static_cast<int32_t>(covered - Revisions.begin()) + 1;

    const TValue* contents = Signature.Find("Contents");
    const int64_t gap = c - (a + b);
    bool gapIsContents = false;
    if (contents != nullptr && contents->Is(TValue::TKind::String) && gap >= 2 && c <= size && a + b >= Origin &&
        gap <= static_cast<int64_t>(contents->Text().size()) * HexSlack + 1024) {
        std::string bytes(static_cast<size_t>(gap), '\0');
        File.SetPosition(a + b - Origin);
        File.ReadBuffer(bytes.data(), static_cast<int32_t>(gap));
        gapIsContents = IsHexStringOf(bytes, contents->Text());
    }
    if (!gapIsContents) Out.Findings.push_back(TSignatureFinding::GapNotContents);
}

std::vector<int32_t> ChangedAfter(int32_t Revision, const std::vector<TRevisionChanges>& Changes) {
    std::set<int32_t> objects;
    for (size_t r = static_cast<size_t>(Revision); r < Changes.size(); ++r) {
        objects.insert(Changes[r].Added.begin(), Changes[r].Added.end());
        objects.insert(Changes[r].Changed.begin(), Changes[r].Changed.end());
    }
    return {objects.begin(), objects.end()};
}

}  // namespace

bool IsHexStringOf(std::string_view Gap, std::string_view Contents) {
    if (Gap.size() < 2 || Gap.front() != '<' || Gap.back() != '>') return false;
    std::string bytes;
    int high = -1;
    for (const char c : Gap.substr(1, Gap.size() - 2)) {
        if (IsIsoWhiteSpace(static_cast<uint8_t>(c))) continue;
        const int digit = HexDigitValue(static_cast<uint8_t>(c));
        if (digit < 0) return false;
        if (high < 0) {
            high = digit;
        } else {
            bytes += static_cast<char>(high << 4 | digit);
            high = -1;
        }
    }
    if (high >= 0) bytes += static_cast<char>(high << 4);  // an odd last digit is followed by 0
    return bytes == Contents;
}

TMessageCode FindingCode(TSignatureFinding Finding) {
    switch (Finding) {
        case TSignatureFinding::Unreadable: return TMessageCode::SignatureRangeUnreadable;
        case TSignatureFinding::NotFromStart: return TMessageCode::SignatureRangeNotFromStart;
        case TSignatureFinding::PastEnd: return TMessageCode::SignatureRangePastEnd;
        case TSignatureFinding::NoRevisionEnd: return TMessageCode::SignatureRangeNoRevisionEnd;
        case TSignatureFinding::GapNotContents: return TMessageCode::SignatureRangeGap;
    }
    return TMessageCode::SignatureRangeUnreadable;
}


std::vector<TSignature> FindSignatures(TObjectReader& Reader, const std::vector<TRevision>& Revisions,
                                       const std::vector<TRevisionChanges>& Changes) {
    TPDFAnalyst& analyst = Reader.Analyst();
    std::vector<TSignature> signatures;
    // Each signature is checked when found, and only its number kept: a
    // file of many signatures costs what their results take.
    std::unordered_set<int32_t> seen;
    const auto add = [&](int32_t Number, const TValue& Dictionary) {
        if (!seen.insert(Number).second) return;
        TSignature signature;
        signature.Object = Number;
        CheckByteRange(*analyst.Stream(), analyst.HeaderOffset(), Dictionary, Revisions, signature);
        if (signature.Revision > 0) signature.ChangedAfter = ChangedAfter(signature.Revision, Changes);
        signatures.push_back(std::move(signature));
    };
    for (int32_t number = 1; number < analyst.ObjectCount(); ++number) {
        if (!analyst.HasObject(number)) continue;
        const TValuePtr object = Reader.ObjectKeys(number, SignatureKeys);
        if (!object->IsDictionary()) continue;
        if (const TValue* type = object->Find("Type"); type != nullptr && type->IsName("Sig")) {
            add(number, *object);
            continue;
        }
        const TValue* kind = object->Find("FT");
        const TValue* value = object->Find("V");
        if (kind == nullptr || !kind->IsName("Sig") || value == nullptr) continue;
        if (value->Is(TValue::TKind::Reference)) {
            const int32_t target = value->AsReference().Number;
            if (seen.count(target) != 0) continue;
            if (const TValuePtr signature = Reader.Object(target); signature->IsDictionary()) add(target, *signature);
        } else if (value->IsDictionary()) {
            add(number, *value);
        }
    }
    std::sort(signatures.begin(), signatures.end(),
              [](const TSignature& A, const TSignature& B) { return A.Object < B.Object; });
    return signatures;
}

}  // namespace lumerra
