// Whole-file target in the extended reading (see DocumentRun.h). What the
// default reading loads, the extended reading loads too.
#include "fuzz/DocumentRun.h"

using namespace lumerra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    bool defaultLoads = true;
    try {
        TPDFAnalyst analyst;
        analyst.LoadFromStream(fuzz::MemoryOf(Data, Size), "fuzz.pdf");
    } catch (const Exception&) {
        defaultLoads = false;
    }
    TPDFAnalyst analyst;
    analyst.SetExtendedReading(true);
    try {
        analyst.LoadFromStream(fuzz::MemoryOf(Data, Size), "fuzz.pdf");
    } catch (const Exception&) {
        fuzz::Require(!defaultLoads, "what the default reading loads, the extended reading loads");
    }
    return fuzz::RunDocument(Data, Size, true);
}
