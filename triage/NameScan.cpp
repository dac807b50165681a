#include "triage/NameScan.h"

#include <string_view>

#include "pdf/ObjectReader.h"
#include "pdf/PDFAnalyst.h"
#include "syntax/Value.h"

namespace lumerra {

namespace {

void MarkName(std::string_view Decoded, std::array<bool, TriageKeywords.size()>& Found) {
    for (size_t i = FirstNameKeyword; i < TriageKeywords.size(); ++i)
        if (TriageKeywords[i].substr(1) == Decoded) Found[i] = true;
}

}  // namespace

void FindNameKeywords(const TValue& Value, std::array<bool, TriageKeywords.size()>& Found) {
    // The parser bounds the nesting, so recursion stays shallow.
    switch (Value.Kind()) {
        case TValue::TKind::Name: MarkName(Value.Text(), Found); break;
        case TValue::TKind::Array:
            for (const TValue& item : Value.Items()) FindNameKeywords(item, Found);
            break;
        case TValue::TKind::Dictionary:
        case TValue::TKind::Stream:
            for (const auto& [key, entry] : Value.Entries()) {
                MarkName(key, Found);
                FindNameKeywords(entry, Found);
            }
            break;
        default: break;
    }
}

TKeywordObjects ScanNameKeywords(TPDFAnalyst& Analyst) {
    TKeywordObjects objects;
    if (Analyst.Stream() == nullptr) return objects;
    // The default reading's scanners expect the file where they left it.
    TPositionKeeper keeper(*Analyst.Stream());
    TObjectReader reader(Analyst);
    for (int32_t number = 0; number < Analyst.ObjectCount(); ++number) {
        if (!Analyst.Locate(number).Found()) continue;
        std::array<bool, TriageKeywords.size()> found{};
        FindNameKeywords(*reader.Object(number), found);
        for (size_t i = FirstNameKeyword; i < found.size(); ++i)
            if (found[i]) objects[i].push_back(number);
    }
    return objects;
}

}  // namespace lumerra
