#include "cli/JsonReport.h"
#include "cli/DiagnosticText.h"
#include "cli/JsonLines.h"

#include "decoder/PDFResource.h"

namespace lumerra::cli {

namespace {

// Names and file names are bytes; what is not UTF-8 in them becomes U+FFFD
// rather than a failed run.

void Write(TStream& Output, const std::string& Text) {
    Output.WriteBuffer(Text.data(), static_cast<int32_t>(Text.size()));
}

TJson Entries(const TPDFResourceList& List) {
    TJson entries = TJson::array();
    // A direct value (extended reading) refers to no object.
    for (int32_t i = 0; i < List.Count(); ++i) {
        const int32_t object = List.GetObjectNumber(i);
        entries.push_back({{"name", List.GetName(i)}, {"object", object >= 0 ? TJson(object) : TJson(nullptr)}});
    }
    return entries;
}

// The seven categories in the report's order.
TJson Resources(const TPageResource& R) {
    return {{"Font", Entries(R.Fonts)},           {"XObject", Entries(R.XObjects)},
            {"ColorSpace", Entries(R.ColorSpaces)}, {"ExtGState", Entries(R.ExtGStates)},
            {"Pattern", Entries(R.Patterns)},     {"Properties", Entries(R.Properties)},
            {"Shading", Entries(R.Shadings)}};
}

}  // namespace

std::string Base64(const std::string& Bytes) {
    static constexpr char Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    text.reserve((Bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < Bytes.size(); i += 3) {
        const size_t n = std::min<size_t>(3, Bytes.size() - i);
        uint32_t group = 0;
        for (size_t k = 0; k < 3; ++k)
            group = group << 8 | (k < n ? static_cast<uint8_t>(Bytes[i + k]) : 0u);
        for (size_t k = 0; k < 4; ++k) text += k <= n ? Digits[(group >> (18 - 6 * k)) & 63] : '=';
    }
    return text;
}

void TJsonReportSink::BeginReport(const std::string& FileName) {
    Write(FOut, "{\"file\":" + Dump(ExtractFileName(FileName)) + ",\"pages\":[");
}

void TJsonReportSink::BeginPage(const TPagePlan& Page) {
    const TPageResource& R = *Page.Resources;
    const TJson object = Page.InPlace ? TJson(nullptr) : TJson(Page.Object);
    FPage = {{"page", Page.Number}, {"object", object}, {"resources", Resources(R)}};
    if (R.FormLimitReached) FPage["form-limit-reached"] = true;
    FForms = TJson::array();
    FContents = TJson::array();
}

void TJsonReportSink::WriteStream(const TPagePlan& Page, const TReportStream& Stream) {
    const TStreamJob& job = Stream.Job;
    TJson item;
    if (job.Form >= 0) {
        const TPageChildResourceList& child = Page.Resources->GetChild(job.Form);
        item = {{"name", child.Name}, {"object", child.ObjectNumber}, {"resources", Resources(child.Resources)}};
    } else {
        item = {{"object", job.Object}};
    }
    item["filters"] = Stream.Filters;
    item["size"] = Stream.Size;
    if (FWithData) {
        std::string bytes(static_cast<size_t>(Stream.Size), '\0');
        if (Stream.Size > 0) Stream.Data.ReadBuffer(bytes.data(), Stream.Size);
        item["data-base64"] = Base64(bytes);
    }
    (job.Form >= 0 ? FForms : FContents).push_back(std::move(item));
}

// One page at a time: memory follows a page, as in the text report.
void TJsonReportSink::EndPage(const TPagePlan&) {
    FPage["forms"] = std::move(FForms);
    FPage["contents"] = std::move(FContents);
    Write(FOut, (FFirstPage ? "" : ",") + Dump(FPage));
    FFirstPage = false;
    FPage = nullptr;
}

void TJsonReportSink::EndReport() {
    Write(FOut, "],\"diagnostics\":" + Dump(DiagnosticsJson(FDiagnostics())) + "}\n");
}

}  // namespace lumerra::cli
