// "lumerra decode --json": the report as one JSON document, written from the
// same records as the text report (collected resources, content list,
// decoded streams), never from the text.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include <nlohmann/json.hpp>

#include "common/Diagnostic.h"
#include "common/Stream.h"
#include "decoder/ReportSink.h"

namespace lumerra::cli {

// Writes {"file": NAME, "pages": [...], "diagnostics": [...]}, one object
// per page; the diagnostics are asked of Diagnostics once the pages are
// written. With WithData each stream also carries its decoded bytes,
// base64-encoded, as "data-base64".
class TJsonReportSink : public TReportSink {
public:
    using TDiagnosticsSource = std::function<const TDiagnostics&()>;
    TJsonReportSink(TStream& Output, bool WithData, TDiagnosticsSource Diagnostics)
        : FOut(Output), FWithData(WithData), FDiagnostics(std::move(Diagnostics)) {}
    void BeginReport(const std::string& FileName) override;
    void BeginPage(const TPagePlan& Page) override;
    void WriteStream(const TPagePlan& Page, const TReportStream& Stream) override;
    void EndPage(const TPagePlan& Page) override;
    void EndReport() override;

private:
    using TJson = nlohmann::ordered_json;

    TStream& FOut;
    bool FWithData;
    TDiagnosticsSource FDiagnostics;
    bool FFirstPage = true;
    TJson FPage;  // the page being written, and its streams so far
    TJson FForms;
    TJson FContents;
};

// Standard base64 with padding: every byte survives, whatever it is.
std::string Base64(const std::string& Bytes);

}  // namespace lumerra::cli
