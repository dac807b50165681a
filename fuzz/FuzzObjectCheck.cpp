// The object check walking a hostile document: the bytes are loaded as
// extended reading loads them and, when that succeeds, every object reached
// from the trailer is checked against the object model. Nothing may crash,
// hang or grow without bound, and every finding says where it is.
#include <cstdint>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "history/AnalystObjectSource.h"
#include "objects/ObjectChecker.h"
#include "pdf/ExtendedAnalyst.h"

using namespace lumerra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    // One model for every input, read from the compiled tables as needed.
    static const objects::TModel model;
    TExtendedAnalyst analyst;
    try {
        analyst.LoadFromStream(fuzz::MemoryOf(Data, Size), "fuzz.pdf");
    } catch (const Exception& e) {
        fuzz::Require(!e.Message().empty(), "a load error carries a message");
        return 0;
    }
    TAnalystObjectSource source(analyst);
    objects::TFileFacts facts;
    facts.HeaderVersion = 17;
    facts.FileSize = static_cast<int64_t>(Size);
    facts.PageCount = analyst.PageCount();
    objects::TObjectCheckLimits limits;
    limits.MaxVisits = 100'000;
    objects::TObjectChecker checker(model, source, facts, limits);
    int64_t findings = 0;
    try {
        checker.Run([&](const objects::TObjectFinding& Finding) {
            fuzz::Require(Finding.Path.rfind("trailer", 0) == 0, "a finding's path starts at the trailer");
            fuzz::Require(!Finding.Type.empty(), "a finding names the model's type");
            fuzz::Require(Finding.Message.Code != TMessageCode::Uncoded, "a finding's message has a code");
            ++findings;
        });
    } catch (const Exception& e) {
        // Reading an object may fail on damage past the load.
        fuzz::Require(!e.Message().empty(), "a read error carries a message");
        return 0;
    }
    int64_t counted = checker.Stats().SecondClassKeys;
    for (const int64_t count : checker.Stats().Findings) counted += count;
    fuzz::Require(counted == findings, "every finding told is counted");
    fuzz::Require(checker.Stats().ObjectsChecked <= limits.MaxVisits, "the walk stays within its limit");
    return 0;
}
