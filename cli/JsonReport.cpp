#include "cli/JsonReport.h"

#include <nlohmann/json.hpp>

#include "common/SpillStream.h"

namespace lumerra::cli {

namespace {

using TJson = nlohmann::ordered_json;

// Names and file names are bytes; what is not UTF-8 in them becomes U+FFFD
// rather than a failed run.
std::string Dump(const TJson& Value) { return Value.dump(-1, ' ', false, TJson::error_handler_t::replace); }

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

class TPageWriter {
public:
    TPageWriter(TPDFLumerra& Decoder, const TPDFAnalyst& Analyst, bool WithData)
        : FDecoder(Decoder), FAnalyst(Analyst), FWithData(WithData) {}

    TJson Page(int32_t PageNumber, int32_t Object) {
        const TPageResource& R = FDecoder.CollectPageResources(Object);
        // A page written in place has no object number.
        const TJson object = FAnalyst.IsDirectPage(Object) ? TJson(nullptr) : TJson(Object);
        TJson page = {{"page", PageNumber}, {"object", object}, {"resources", Resources(R)}};
        if (R.FormLimitReached) page["form-limit-reached"] = true;
        TJson forms = TJson::array();
        for (int32_t i = 0; i < R.ChildCount(); ++i) {
            const TPageChildResourceList& child = R.GetChild(i);
            TJson form = {
                {"name", child.Name}, {"object", child.ObjectNumber}, {"resources", Resources(child.Resources)}};
            AddStream(form, child.ObjectNumber);
            forms.push_back(std::move(form));
        }
        page["forms"] = std::move(forms);
        TIDList contents;
        FDecoder.GetPageContents(Object, contents);
        TJson streams = TJson::array();
        for (const int32_t content : contents) {
            TJson stream = {{"object", content}};
            AddStream(stream, content);
            streams.push_back(std::move(stream));
        }
        page["contents"] = std::move(streams);
        return page;
    }

private:
    void AddStream(TJson& Into, int32_t Object) {
        TStringList filters;
        const int32_t size = FDecoder.DecodeStreamObject(Object, filters, FBuffer);
        Into["filters"] = filters;
        Into["size"] = size;
        if (FWithData) {
            std::string bytes(static_cast<size_t>(size), '\0');
            FBuffer.SetPosition(0);
            if (size > 0) FBuffer.ReadBuffer(bytes.data(), size);
            Into["data-base64"] = Base64(bytes);
        }
        FBuffer.Clear();
    }

    TPDFLumerra& FDecoder;
    const TPDFAnalyst& FAnalyst;
    bool FWithData;
    TSpillStream FBuffer;
};

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

bool WriteJsonReport(TPDFLumerra& Decoder, TPDFAnalyst& Analyst, TStream& Output, int32_t First, int32_t Last,
                     bool WithData, const TDecodeProgressProc& Progress) {
    TIDList pages;
    Analyst.GetPageList(&pages);
    TPageWriter writer(Decoder, Analyst, WithData);
    // One page at a time: memory follows a page, as in the text report.
    Write(Output, "{\"file\":" + Dump(ExtractFileName(Analyst.FileName())) + ",\"pages\":[");
    bool cancelled = false;
    for (int32_t i = First - 1; i <= Last - 1; ++i) {
        if (i >= First) Write(Output, ",");
        Write(Output, Dump(writer.Page(i + 1, pages[static_cast<size_t>(i)])));
        Decoder.ReleasePageResources();
        if (Progress) Progress(0, 100, Last > First ? (i - First + 1) * 100 / (Last - First + 1) : 100, false);
        if (Decoder.EscapeKeyQuery && Decoder.EscapeKeyQuery()) {
            cancelled = true;
            break;
        }
    }
    if (Progress) Progress(0, 100, 100, true);
    if (cancelled) return false;
    Write(Output, "]}\n");
    return true;
}

}  // namespace lumerra::cli
