// The text report: with comments, every page and stream gets "%" lines that
// name it, its resources, its filters and its decoded size; without, only
// the decoded bytes are written, between blank lines.
#pragma once

#include <memory>

#include "decoder/ReportSink.h"

namespace lumerra {

class TCommentedTextSink : public TReportSink {
public:
    // PageCount: the count each page head tells, what the page tree claims.
    TCommentedTextSink(TStream& Output, int32_t PageCount) : FOut(Output), FPageCount(PageCount) {}
    void BeginReport(const std::string& FileName) override;
    void BeginPage(const TPagePlan& Page) override;
    void WriteStream(const TPagePlan& Page, const TReportStream& Stream) override;
    void EndPage(const TPagePlan&) override {}
    void EndReport() override {}

private:
    TStream& FOut;
    int32_t FPageCount;
};

class TPlainTextSink : public TReportSink {
public:
    explicit TPlainTextSink(TStream& Output) : FOut(Output) {}
    void BeginReport(const std::string&) override {}
    void BeginPage(const TPagePlan&) override {}
    void WriteStream(const TPagePlan& Page, const TReportStream& Stream) override;
    // What was decoded before the failure stays in the report.
    void WriteFailedStream(const TPagePlan& Page, const TReportStream& Stream) override;
    void EndPage(const TPagePlan&) override {}
    void EndReport() override {}

private:
    TStream& FOut;
};

std::unique_ptr<TReportSink> TextReportSink(TStream& Output, bool WithComments, int32_t PageCount);

}  // namespace lumerra
