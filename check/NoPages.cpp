#include "check/NoPages.h"

#include "pdf/PDFAnalyst.h"

namespace lumerra::check {

TMessage NoPagesReason(TObjectReader& Reader) {
    const int32_t root = Reader.Analyst().RootID();
    const TValuePtr catalog = root >= 0 ? Reader.Object(root) : nullptr;
    if (catalog == nullptr || !catalog->IsDictionary()) return {TMessageCode::NoCatalog, {}};
    if (!Reader.Get(catalog, "Pages")->IsDictionary()) return {TMessageCode::NoPageTreeRoot, {}};
    return {TMessageCode::PageTreeEmpty, {}};
}

}  // namespace lumerra::check
