// Whole-file target in the default reading (see DocumentRun.h).
#include "fuzz/DocumentRun.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    return lumerra::fuzz::RunDocument(Data, Size, false);
}
