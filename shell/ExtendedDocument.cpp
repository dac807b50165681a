#include "shell/ExtendedDocument.h"

#include "pdf/ExtendedAnalyst.h"

namespace lumerra {

TPDFAnalyst& ExtendedDocumentOf(TPDFAnalyst& Loaded, std::unique_ptr<TPDFAnalyst>& Reloaded) {
    if (Loaded.Reading() == TReading::Extended) return Loaded;
    Reloaded = std::make_unique<TExtendedAnalyst>();
    Reloaded->LoadFromFile(Loaded.FileName());
    return *Reloaded;
}

}  // namespace lumerra
