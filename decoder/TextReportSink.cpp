#include "decoder/TextReportSink.h"

namespace lumerra {

namespace {

const std::string Gap = "\n\n";
const std::string Separator = "% -------------------------------------------------------------------\n";
const std::string ClosingSeparator = Separator + "\n";

void Write(TStream& S, const std::string& text) { S.WriteBuffer(text.data(), static_cast<int32_t>(text.size())); }

std::string PageHead(int32_t p, int32_t n) { return "%  Page " + std::to_string(p) + "/" + std::to_string(n); }

std::string FilterLine(const TStringList& filters) {
    std::string line = "%  Used Filter : [ ";
    for (const std::string& name : filters) line += name + " ";
    return line + "]\n";
}

std::string SizeLine(int32_t size) { return "%  DecodeSize  : " + FormatThousands(size) + " Byte\r\n"; }

}  // namespace

void TCommentedTextSink::BeginReport(const std::string& FileName) {
    Write(FOut, "% Decode File : " + ExtractFileName(FileName));
}

void TCommentedTextSink::BeginPage(const TPagePlan& Page) {
    const TPageResource& R = *Page.Resources;
    Write(FOut, Gap + Separator + PageHead(Page.Number, FPageCount) + " - Resource\n");
    R.WriteUsedResources(FOut);
    if (R.FormLimitReached)
        Write(FOut, "%  XObject Forms : only the first " + FormatThousands(R.ChildCount()) +
                        " forms of this page are decoded\n");
}

// Each stream was decoded whole first, so that its size can precede it.
void TCommentedTextSink::WriteStream(const TPagePlan& Page, const TReportStream& Stream) {
    const std::string head = PageHead(Page.Number, FPageCount);
    const TStreamJob& job = Stream.Job;
    const TPageResource* resources = nullptr;
    std::string text;
    if (job.Form >= 0) {
        const TPageChildResourceList& child = Page.Resources->GetChild(job.Form);
        text = Separator + head + " - XObject Resource ( " + child.Name + " = SubType is Form)\n";
        resources = &child.Resources;
    } else {
        if (job.Content > 0) text = Gap;
        text += Separator + head + " - Contents " + std::to_string(job.Content + 1) + "/" +
                std::to_string(Page.Contents.size()) + "\n";
    }
    Write(FOut, text);
    if (resources != nullptr) resources->WriteUsedResources(FOut);
    Write(FOut, FilterLine(Stream.Filters) + SizeLine(Stream.Size) + ClosingSeparator);
    FOut.CopyFrom(Stream.Data, Stream.Size);
    if (job.Form >= 0) Write(FOut, Gap);
}

void TPlainTextSink::WriteStream(const TPagePlan& Page, const TReportStream& Stream) {
    WriteFailedStream(Page, Stream);
    Write(FOut, Gap);
}

void TPlainTextSink::WriteFailedStream(const TPagePlan&, const TReportStream& Stream) {
    Write(FOut, Gap);
    FOut.CopyFrom(Stream.Data, Stream.Size);
}

std::unique_ptr<TReportSink> TextReportSink(TStream& Output, bool WithComments, int32_t PageCount) {
    if (WithComments) return std::make_unique<TCommentedTextSink>(Output, PageCount);
    return std::make_unique<TPlainTextSink>(Output);
}

}  // namespace lumerra
