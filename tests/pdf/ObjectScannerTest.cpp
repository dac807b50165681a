// The scanner's rules, one row each: what a handler is shown, where the scan
// ends, and what a scan that runs out of data says.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AnalystTestSupport.h"
#include "pdf/ObjectScanner.h"

using namespace lumerra;
using namespace lumerra::test;

namespace {

enum class TStart {
    Object,  // Bytes are the body of object 7, opened with OpenObject
    Value    // Bytes stand alone; the scan starts at their first byte
};

struct TScanCase {
    const char* Name;
    TStart Start;
    std::string Bytes;
    TScanOptions Options;
    // The tokens the handler was shown, "|", and the end reached: the end
    // token, doubled when the next byte repeats it ("<<"), or "stop" when the
    // handler stopped at "/Stop". Or the error raised.
    std::string Outcome;
    // A token the handler takes (Handled) rather than leave to the rules.
    std::string Taken = "";
};

std::string Outcome(const TScanCase& Case) {
    PdfBuilder builder = PdfBuilder::SimpleDocument({"BT ET"});
    builder.Set(7, Case.Start == TStart::Object ? Case.Bytes : "null");
    LoadedDocument doc(builder);
    TMemoryStream value;
    value.WriteBuffer(Case.Bytes.data(), static_cast<int32_t>(Case.Bytes.size()));
    value.SetPosition(0);
    std::string seen;
    try {
        TObjectScanner scan = Case.Start == TStart::Object
                                  ? TObjectScanner::OpenObject(doc.Analyst, 7, Case.Options)
                                  : TObjectScanner(doc.Analyst, value, Case.Options);
        const TScanEnd end = scan.Run([&](const TToken& token) {
            seen += token.Text + " ";
            if (token.Text == "/Stop") return TScanAction::Stop;
            return token.Text == Case.Taken ? TScanAction::Handled : TScanAction::Default;
        });
        switch (end) {
            case TScanEnd::Stopped: return seen + "| stop";
            case TScanEnd::Endobj: return seen + "| endobj";
            case TScanEnd::Stream: return seen + "| stream";
            case TScanEnd::Open: return seen + (scan.TakeSecond('<') ? "| <<" : "| <");
            case TScanEnd::Close: return seen + (scan.TakeSecond('>') ? "| >>" : "| >");
            case TScanEnd::ArrayEnd: return seen + "| ]";
        }
    } catch (const EDamagedInput& e) {
        return e.Detailed();
    }
    return "?";
}

// The outcome expected, "@" replaced by the offset of object 7 (which is
// the same in every case: the objects before it do not change).
std::string Expected(const std::string& Outcome) {
    PdfBuilder builder = PdfBuilder::SimpleDocument({"BT ET"});
    builder.Set(7, "null").Build();
    const size_t at = Outcome.find('@');
    if (at == std::string::npos) return Outcome;
    return Outcome.substr(0, at) + std::to_string(builder.Offsets().at(7)) + Outcome.substr(at + 1);
}

}  // namespace

TEST(ObjectScanner, EachRuleAsTheReadersUseIt) {
    constexpr TScanEnds Endobj{.Endobj = true};
    const std::string stream = "<< /Length 4 >>\nstream\n/X )\nendstream";
    const std::vector<TScanCase> cases = {
        {"header kept", TStart::Object, "<< /A 1 >>", {.EndsAt = Endobj}, "7 0 obj < < /A 1 > > | endobj"},
        {"header skipped with a comment after it", TStart::Object, "% note\n<< /A 1 >>",
         {.Header = THeaderRule::Skip, .EndsAt = Endobj}, "< < /A 1 > > | endobj"},
        {"header checked", TStart::Object, "<< /A 1 >>", {.Header = THeaderRule::Check, .EndsAt = Endobj},
         "0 obj < < /A 1 > > | endobj"},
        {"strings skipped", TStart::Value, "/T (x /B) /C > ", {.SkipStrings = true, .EndsAt = {.Close = true}},
         "/T ( /C | >"},
        {"strings read as tokens", TStart::Value, "/T (x /B) /C > ", {.EndsAt = {.Close = true}},
         "/T ( x /B ) /C | >"},
        {"comments skipped", TStart::Value, "/A % /B\n/C > ", {.SkipComments = true, .EndsAt = {.Close = true}},
         "/A % /C | >"},
        {"comments read as tokens", TStart::Value, "/A % /B\n/C > ", {.EndsAt = {.Close = true}},
         "/A % /B /C | >"},
        {"stream data skipped by /Length", TStart::Object, stream,
         {.Header = THeaderRule::Skip, .SkipStreamData = true, .EndsAt = Endobj},
         "< < /Length 4 > > stream endstream | endobj"},
        {"stream data read as tokens", TStart::Object, stream, {.Header = THeaderRule::Skip, .EndsAt = Endobj},
         "< < /Length 4 > > stream /X ) endstream | endobj"},
        {"ends at stream", TStart::Object, stream,
         {.Header = THeaderRule::Skip, .EndsAt = {.Endobj = true, .Stream = true}}, "< < /Length 4 > > | stream"},
        {"ends at the first < of a dictionary", TStart::Value, "[1 <</A 2>>]", {.EndsAt = {.Open = true}},
         "[ 1 | <<"},
        {"ends at the first < of a hex string", TStart::Value, "[1 <41> <</A 2>>]", {.EndsAt = {.Open = true}},
         "[ 1 | <"},
        {"ends at > of a dictionary", TStart::Value, "/A 1 >> /B", {.EndsAt = {.Close = true}}, "/A 1 | >>"},
        {"ends at > of a hex string", TStart::Value, "/A <41> /B >>", {.EndsAt = {.Close = true}},
         "/A < 41 | >"},
        {"ends at ]", TStart::Value, "3 0 R 5 0 R] /X", {.EndsAt = {.ArrayEnd = true}}, "3 0 R 5 0 R | ]"},
        {"ends before the handler sees the token", TStart::Value, "/A endobj /Stop", {.EndsAt = Endobj},
         "/A | endobj"},
        {"a token the handler takes meets no rule", TStart::Value, "/T (x /B) /C > ",
         {.SkipStrings = true, .EndsAt = {.Close = true}}, "/T ( x /B ) /C | >", "("},
        {"the handler stops it", TStart::Object, "<< /A /Stop /B >>", {.EndsAt = Endobj}, "7 0 obj < < /A /Stop | stop"},
        {"a value running out of data", TStart::Value, "/A 1", {.EndsAt = {.Close = true}},
         "ファイルが途中で終わっています。 (offset 0)"},
        {"an object whose string runs to the end of the file", TStart::Object, "<< /T (open >>",
         {.Header = THeaderRule::Skip, .SkipStrings = true, .EndsAt = Endobj},
         "ファイルが途中で終わっています。 (object 7, offset @)"},
    };
    for (const TScanCase& c : cases) EXPECT_EQ(Outcome(c), Expected(c.Outcome)) << c.Name;
}
