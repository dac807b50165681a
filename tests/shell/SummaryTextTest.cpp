// The text area's sentences about a loaded document, made from the core's
// records.
#include <gtest/gtest.h>

#include "shell/SummaryText.h"

namespace lumerra::test {
namespace {

TSignature Signature(int32_t Object, int32_t Revision, std::vector<int32_t> ChangedAfter,
                     std::vector<TSignatureFinding> Findings = {}) {
    TSignature signature;
    signature.Object = Object;
    signature.Revision = Revision;
    signature.ChangedAfter = std::move(ChangedAfter);
    signature.Findings = std::move(Findings);
    return signature;
}

TEST(SummaryTextTest, SignatureSentencesTellWhatChangedAndWhatIsAtFault) {
    struct TCase {
        const char* Name;
        std::vector<TSignature> Signatures;
        std::vector<std::string> Lines;
    };
    const std::vector<TCase> cases = {
        {"untouched", {Signature(5, 2, {})}, {}},
        {"changed after",
         {Signature(5, 1, {4, 9})},
         {"署名（オブジェクト 5）の後に文書が変更されています。改訂 1 に署名した後、オブジェクト 4、9 が追加または変更されました。"}},
        {"range at fault",
         {Signature(7, 0, {}, {TSignatureFinding::PastEnd, TSignatureFinding::NoRevisionEnd})},
         {"署名（オブジェクト 7）: 署名の範囲がファイルの終わりを越えています。",
          "署名（オブジェクト 7）: 署名の範囲の終わりがどの改訂の終わりとも一致しません。"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TDocumentHistory history;
        history.Signatures = c.Signatures;
        EXPECT_EQ(SignatureWarnings(history), c.Lines);
    }
}

TEST(SummaryTextTest, EachRevisionAfterASignatureNamesItsVerdict) {
    using K = TObjectRole::TKind;
    const auto certified = [](int32_t P) {
        TSignatureDescription description;
        description.Kind = TSignatureKind::Certification;
        description.Permissions.DocMdp = P;
        return description;
    };
    struct TCase {
        const char* Name;
        TSignatureDescription Description;
        TLaterRevision Later;
        std::vector<TShadowFinding> Findings;
        std::vector<std::string> Lines;
    };
    const std::vector<TCase> cases = {
        {"form filling after P=2", certified(2),
         {2, TChangeLevel::FormFilling, TVerdict::Allowed, {{6, {K::Field, 0, 0, "Name"}, TChangeLevel::FormFilling}}},
         {},
         {"署名（オブジェクト 5、証明 P=2）の後の改訂 2 はフォーム入力のみで、許可されています。"}},
        {"page content after P=2", certified(2),
         {2, TChangeLevel::Other, TVerdict::NotAllowed,
          {{3, {K::Page, 1}, TChangeLevel::Lta}, {4, {K::PageContent, 1}, TChangeLevel::Other}}},
         {},
         {"署名（オブジェクト 5、証明 P=2）の後の改訂 2 はページ 1 の内容が変更されており、許可されていません。"}},
        {"an object of no role after an approval", {},
         {3, TChangeLevel::Other, TVerdict::NoPermissionDeclared, {{9, {K::Other}, TChangeLevel::Other}}},
         {{TShadowKind::Replace, 3, {9, 10}}},
         {"署名（オブジェクト 5、承認）の後の改訂 3 はオブジェクト 9 が変更されており、許可の範囲は宣言されていません。",
          "署名（オブジェクト 5、承認）: 後の改訂が署名されたフォント、画像、外観またはフィールドの値を置き換えています。"
          "（改訂 3、オブジェクト 9、10）"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TDocumentHistory history;
        history.Signatures = {Signature(5, 1, {})};
        history.Reviews = {{c.Description, TIntegrity::NotChecked, {c.Later}, c.Findings}};
        EXPECT_EQ(SignatureVerdicts(history), c.Lines);
    }
}

TEST(SummaryTextTest, RevisionsAndActiveContentJoinIntoOneLine) {
    TDocumentHistory history;
    history.Chain.Revisions.resize(3);
    const std::vector<std::string> parts = {RevisionCountText(history), ActiveContentText({"JavaScript", 3}),
                                            ActiveContentText({"Launch", 1})};
    EXPECT_EQ(SummaryLine(parts), "改訂: 3、JavaScript: 3 か所、Launch: 1 か所");
    EXPECT_EQ(SummaryLine({}), "");
}

}  // namespace
}  // namespace lumerra::test
