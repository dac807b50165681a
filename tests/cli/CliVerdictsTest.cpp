// lumerra revisions on signed documents: each signature's kind and
// permissions, each later revision's level and verdict, and the findings.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include <nlohmann/json.hpp>

#include "CliRun.h"
#include "support/SignedDocument.h"

using namespace lumerra::test;

namespace {

TEST(CliVerdicts, EachLaterRevisionIsToldWithItsLevelAndVerdict) {
    struct TCase {
        const char* Name;
        bool Certified;
        std::function<void(PdfBuilder&)> Update;
        std::string Lines;  // after the signature's line
        nlohmann::json Later;
        nlohmann::json Findings;
    };
    const std::string certified = "/Perms << /DocMDP 5 0 R >> ";
    const TCase cases[] = {
        {"a signature field filled in after a certification with P=2", true,
         [](PdfBuilder& B) {
             B.Set(6, "<< /FT /Sig /Type /Annot /Subtype /Widget /Rect [0 0 0 0] /P 3 0 R /T (Signature1) /V 5 0 R "
                      "/DA (/Helv 0 Tf) >>");
         },
         "signature 5: certification P=2, subfilter adbe.pkcs7.detached, integrity failed\n"
         "signature 5: revision 2: form-filling, allowed\n",
         R"([{"revision": 2, "level": "form-filling", "verdict": "allowed",
              "objects": [{"object": 6, "role": "field Signature1", "level": "form-filling"}]}])"_json,
         nlohmann::json::array()},
        {"the page's font replaced after an approval", false,
         [](PdfBuilder& B) { B.Set(7, "<< /Type /Font /Subtype /Type1 /BaseFont /Courier >>"); },
         "signature 5: approval, subfilter adbe.pkcs7.detached, integrity failed\n"
         "signature 5: revision 2: other, no-permission-declared\n"
         "signature 5: shadow-replace in revision 2, objects 7: "
         "後の改訂が署名されたフォント、画像、外観またはフィールドの値を置き換えています。\n",
         R"([{"revision": 2, "level": "other", "verdict": "no-permission-declared",
              "objects": [{"object": 7, "role": "page 1 resources", "level": "other"}]}])"_json,
         R"([{"code": "shadow-replace", "signature": 5, "revision": 2, "objects": [7],
              "message": "後の改訂が署名されたフォント、画像、外観またはフィールドの値を置き換えています。"}])"_json},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        SignedExtras extras;
        extras.Page = "/Resources << /Font << /F1 7 0 R >> >> ";
        extras.Objects = {{7, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"}};
        if (c.Certified) {
            extras.Catalog = certified;
            extras.Signature = "/Reference [<< /TransformMethod /DocMDP /TransformParams << /P 2 >> >>] ";
        }
        SignedDocument document({}, [](std::vector<long long>&) {}, extras);
        c.Update(document.Builder.NewRevision().Root(1));
        const TempFile file(document.Builder.Build());

        const RunResult text = RunCli({"revisions", file.Path()});
        ASSERT_EQ(text.ExitCode, 0) << text.Err;
        const size_t start = text.Out.find("changed after");
        ASSERT_NE(start, std::string::npos) << text.Out;
        const size_t lines = text.Out.find('\n', start) + 1;
        EXPECT_EQ(text.Out.substr(lines, text.Out.find("after last") - lines), c.Lines);

        const RunResult json = RunCli({"revisions", "--json", file.Path()});
        ASSERT_EQ(json.ExitCode, 0) << json.Err;
        const auto out = nlohmann::json::parse(json.Out);
        EXPECT_EQ(out["signatures"][0]["later"], c.Later);
        EXPECT_EQ(out["findings"], c.Findings);
    }
}

}  // namespace
