// What the report of one page is made of, settled before any of it is
// decoded: the page's resources with its forms, its content list, and the
// streams to decode in the order the report writes them (each form's, then
// each content stream). Decoders take that list as it is, so the streams
// come back in the order the writer needs them.
#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <vector>

#include "common/StrUtils.h"
#include "decoder/PDFResource.h"
#include "decoder/PageReader.h"

namespace lumerra {

// One stream of a page's report: a form child's or a content stream.
struct TStreamJob {
    int32_t Object = -1;
    int32_t Form = -1;     // the index of the page's form child, or -1
    int32_t Content = -1;  // the index in the page's content list, or -1
};

struct TPagePlan {
    int32_t Number = 0;  // in the document's page list, from 1
    int32_t Object = -1;
    bool InPlace = false;  // written in place in /Kids: Object is no object number
    std::unique_ptr<TPageResource> Resources;
    TIDList Contents;
    // Collecting the resources failed: raised before anything of the page
    // is written.
    std::exception_ptr Error;
    // Reading the content list failed: raised after the page's forms are
    // written, where one reading in turn meets it.
    std::exception_ptr ContentsError;
    std::vector<TStreamJob> Streams;  // forms first, then contents
};

// The plan of page Object, number Number of the run's page list. What
// reading it raises is kept in the plan, not thrown.
TPagePlan PlanPage(TPageReader& Reader, int32_t Number, int32_t Object);

}  // namespace lumerra
