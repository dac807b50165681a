// What changed after a signature, how far it went, whether the permissions
// in force allowed it, and the shadow attacks it may be.
#include <gtest/gtest.h>

#include <functional>

#include "HistoryFixtures.h"
#include "history/RevisionView.h"
#include "pdf/ObjectReader.h"

namespace lumerra::test {
namespace {

using K = TObjectRole::TKind;
using L = TChangeLevel;
using S = TShadowKind;

// The signed revision: field 6 signed; text field 7 "Name" with its
// appearance 8; a square 9; font 10; a stream 11 that nothing reaches; the
// empty signature field 12; 20, which a cross-reference stream's number
// must stay above when the update adds objects; a catalog 21 that nothing
// reaches.
const char* const Fields = "6 0 R 7 0 R 12 0 R";
const char* const Annots = "6 0 R 7 0 R 9 0 R 12 0 R";
const char* const Resources = "/Resources << /Font << /F1 10 0 R >> /Properties << /P0 20 0 R >> >> ";

std::string Catalog(const std::string& Perms, const std::string& Fields = lumerra::test::Fields,
                    const std::string& Extra = "") {
    return "<< /Type /Catalog /Pages 2 0 R /AcroForm << /Fields [" + Fields + "] /SigFlags 3 >> " + Perms + Extra +
           ">>";
}

std::string Page(const std::string& Annots = lumerra::test::Annots, const std::string& Contents = "4 0 R") {
    return "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents " + Contents + " /Annots [" + Annots +
           "] " + Resources + ">>";
}

const std::string NameField = "/FT /Tx /Type /Annot /Subtype /Widget /Rect [10 10 200 40] /P 3 0 R /T (Name) ";

// Permissions: none (a plain approval), or a certification with P.
SignedExtras Signed(int P, std::string Field = "", std::string Signature = "") {
    SignedExtras extras;
    extras.Fields = Fields;
    extras.Annots = Annots;
    extras.Page = Resources;
    extras.Field = std::move(Field);
    extras.Signature = std::move(Signature);
    if (P > 0) {
        extras.Catalog = "/Perms << /DocMDP 5 0 R >> ";
        extras.Signature += "/Reference [<< /Type /SigRef /TransformMethod /DocMDP /TransformParams << "
                            "/Type /TransformParams /P " + std::to_string(P) + " /V /1.2 >> >>] ";
    }
    extras.Objects = {{7, "<< " + NameField + "/V (Alice) /AP << /N 8 0 R >> >>"},
                      {9, "<< /Type /Annot /Subtype /Square /Rect [300 300 400 400] /P 3 0 R >>"},
                      {10, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"},
                      {20, "<< /Type /OCMD >>"},
                      {21, "<< /Type /Catalog /Pages 2 0 R >>"},
                      {12, "<< /FT /Sig /Type /Annot /Subtype /Widget /Rect [0 0 0 0] /P 3 0 R /T (Signature2) >>"}};
    extras.Streams = {{8, "BT (Alice) Tj ET"}, {11, "BT (payload) Tj ET"}};
    return extras;
}

using TUpdate = std::function<void(PdfBuilder&, const std::string& Perms)>;

// The document signed with P, then updated once; its history.
TDocumentHistory Updated(int P, const TUpdate& Update, SignedExtras Extras, bool Streams = false) {
    PdfBuilder::Options options;
    options.XrefStreams = Streams;
    SignedDocument document(options, [](std::vector<long long>&) {}, Extras);
    document.Builder.NewRevision().Root(1);
    Update(document.Builder, P > 0 ? "/Perms << /DocMDP 5 0 R >> " : "");
    return HistoryOf(document.Builder.Build());
}

struct TLevelCase {
    const char* Name;
    TUpdate Update;
    L Level;
    TChangedObject Key;  // one object the revision touched, as it must be told
    // The verdict with no permission, then with P = 1, 2 and 3: n(o permission
    // declared), a(llowed), x (not allowed).
    const char* Verdicts;
    std::vector<TShadowFinding> Findings;  // with P = 3, besides the objects nothing reached
};

TVerdict VerdictOf(char C) {
    return C == 'a' ? TVerdict::Allowed : C == 'x' ? TVerdict::NotAllowed : TVerdict::NoPermissionDeclared;
}

TEST(Verdicts, EachLevelIsJudgedByThePermissionInForce) {
    const std::string square = "<< /Type /Annot /Subtype /Square /Rect [0 0 612 792] /P 3 0 R /AP << /N 14 0 R >> >>";
    const TLevelCase cases[] = {
        {"an identical rewrite", [](PdfBuilder& B, const std::string&) { B.SetStream(4, "", "BT /F1 12 Tf (signed) Tj ET"); },
         L::Lta, {4, {K::PageContent, 1}, L::Lta}, "naaa", {}},
        {"information and an object nothing refers to",
         [](PdfBuilder& B, const std::string&) {
             B.Set(13, "<< /Producer (x) >>").Set(14, "<< /Unused true >>").TrailerExtra("/Info 13 0 R");
         },
         L::Lta, {13, {K::Information}, L::Lta}, "naaa", {}},
        {"a security store",
         [](PdfBuilder& B, const std::string& Perms) {
             B.Set(1, Catalog(Perms, Fields, "/DSS 13 0 R ")).Set(13, "<< /Certs [] >>");
         },
         L::Lta, {1, {K::Catalog}, L::Lta}, "naaa", {}},
        {"metadata", [](PdfBuilder& B, const std::string& Perms) {
             B.Set(1, Catalog(Perms, Fields, "/Metadata 13 0 R ")).SetStream(13, "/Type /Metadata /Subtype /XML", "<x:xmpmeta/>");
         },
         L::Lta, {13, {K::Metadata}, L::Lta}, "naaa", {}},
        {"a field filled in",
         [](PdfBuilder& B, const std::string&) {
             B.Set(7, "<< " + NameField + "/V (Bob) /AP << /N 13 0 R >> >>").SetStream(13, "", "BT (Bob) Tj ET");
         },
         L::FormFilling, {7, {K::Field, 0, 0, "Name"}, L::FormFilling}, "nxaa", {{S::Replace, 2, {7}}}},
        {"the empty signature field signed",
         [](PdfBuilder& B, const std::string&) {
             B.Set(12, "<< /FT /Sig /Type /Annot /Subtype /Widget /Rect [0 0 0 0] /P 3 0 R /T (Signature2) /V 13 0 R >>");
             B.Set(13, "<< /Type /Sig /ByteRange [0 1 2 3] /Contents <00> >>");
         },
         L::FormFilling, {13, {K::FieldValue, 0, 0, "Signature2"}, L::FormFilling}, "nxaa", {}},
        {"a visible signature field added",
         [](PdfBuilder& B, const std::string& Perms) {
             B.Set(13, "<< /FT /Sig /Type /Annot /Subtype /Widget /Rect [100 100 300 150] /P 3 0 R /T (Signature3) >>");
             B.Set(1, Catalog(Perms, std::string(Fields) + " 13 0 R")).Set(3, Page(std::string(Annots) + " 13 0 R"));
         },
         L::FormFilling, {13, {K::Field, 0, 0, "Signature3"}, L::FormFilling}, "nxaa", {{S::SneakySignature, 2, {13}}}},
        {"an annotation added",
         [&](PdfBuilder& B, const std::string&) {
             B.Set(13, square).SetStream(14, "", "0 0 612 792 re f").Set(3, Page(std::string(Annots) + " 13 0 R"));
         },
         L::Annotations, {13, {K::Annotation, 1, 13}, L::Annotations}, "nxxa", {{S::EvilAnnotation, 2, {13}}}},
        {"an annotation moved over the page",
         [](PdfBuilder& B, const std::string&) {
             B.Set(9, "<< /Type /Annot /Subtype /Square /Rect [0 0 612 792] /P 3 0 R >>");
         },
         L::Annotations, {9, {K::Annotation, 1, 9}, L::Annotations}, "nxxa", {{S::Hide, 2, {9}}}},
        {"the page content changed", [](PdfBuilder& B, const std::string&) { B.SetStream(4, "", "BT (changed) Tj ET"); },
         L::Other, {4, {K::PageContent, 1}, L::Other}, "nxxx", {}},
        {"a font replaced",
         [](PdfBuilder& B, const std::string&) { B.Set(10, "<< /Type /Font /Subtype /Type1 /BaseFont /Courier >>"); },
         L::Other, {10, {K::PageResource, 1}, L::Other}, "nxxx", {{S::Replace, 2, {10}}}},
        {"a field deleted",
         [](PdfBuilder& B, const std::string& Perms) { B.Set(1, Catalog(Perms, "6 0 R 12 0 R")); },
         L::Other, {1, {K::Catalog}, L::Other}, "nxxx", {}},
        {"a signed object freed", [](PdfBuilder& B, const std::string&) { B.Free(4); },
         L::Other, {4, {K::PageContent, 1}, L::Other}, "nxxx", {}},
        {"the content redirected to a prepared stream",
         [](PdfBuilder& B, const std::string&) { B.Set(3, Page(Annots, "11 0 R")); },
         L::Other, {3, {K::Page, 1}, L::Other}, "nxxx", {{S::HideAndReplace, 2, {3, 11}}}},
        {"the trailer turned to a prepared catalog", [](PdfBuilder& B, const std::string&) { B.Root(21); },
         L::Other, {21, {K::Catalog}, L::Other}, "nxxx", {{S::HideAndReplace, 2, {21}}}},
        {"optional content turned off",
         [](PdfBuilder& B, const std::string& Perms) {
             B.Set(1, Catalog(Perms, Fields, "/OCProperties << /OCGs [13 0 R] /D << /OFF [13 0 R] >> >> "));
             B.Set(13, "<< /Type /OCG /Name (layer) >>");
         },
         L::Other, {1, {K::Catalog}, L::Other}, "nxxx", {{S::Hide, 2, {1}}}},
    };
    const int permissions[] = {0, 1, 2, 3};
    for (const TLevelCase& c : cases) {
        for (const bool streams : {false, true}) {
            for (size_t p = 0; p < 4; ++p) {
                SCOPED_TRACE(std::string(c.Name) + (streams ? ", streams" : ", tables") + ", P=" +
                             std::to_string(permissions[p]));
                const TDocumentHistory history = Updated(permissions[p], c.Update, Signed(permissions[p]), streams);
                ASSERT_FALSE(history.Reviews.empty());
                ASSERT_EQ(history.Signatures[0].Object, 5);
                const TSignatureReview& review = history.Reviews[0];
                ASSERT_EQ(review.Later.size(), 1u);
                const TLaterRevision& later = review.Later[0];
                EXPECT_EQ(later.Revision, 2);
                EXPECT_EQ(later.Level, c.Level);
                EXPECT_EQ(later.Verdict, VerdictOf(c.Verdicts[p]));
                const auto key = std::find_if(later.Objects.begin(), later.Objects.end(),
                                              [&](const TChangedObject& O) { return O.Object == c.Key.Object; });
                ASSERT_NE(key, later.Objects.end());
                EXPECT_EQ(key->Role, c.Key.Role);
                EXPECT_EQ(key->Level, c.Key.Level);

                // The prepared objects are told for every update; the
                // annotations and signature fields that paint over a
                // certified document only after a certification.
                ASSERT_FALSE(review.Findings.empty());
                EXPECT_EQ(review.Findings[0], (TShadowFinding{S::UnreachableAtSigning, 1, {11, 21}}));
                std::vector<TShadowFinding> expected;
                for (const TShadowFinding& finding : c.Findings)
                    if ((finding.Kind != S::EvilAnnotation || permissions[p] == 3) &&
                        (finding.Kind != S::SneakySignature || permissions[p] > 0))
                        expected.push_back(finding);
                EXPECT_EQ(std::vector<TShadowFinding>(review.Findings.begin() + 1, review.Findings.end()), expected);
            }
        }
    }
}

}  // namespace
}  // namespace lumerra::test

namespace lumerra::test {
namespace {

TEST(Verdicts, ALockedFieldIsNeverToBeChanged) {
    const std::string fieldMdp = "/Reference [<< /Type /SigRef /TransformMethod /FieldMDP /TransformParams << "
                                 "/Type /TransformParams /Action /Include /Fields [(Name)] /V /1.2 >> >>] ";
    const TUpdate fillName = [](PdfBuilder& B, const std::string&) {
        B.Set(7, "<< " + NameField + "/V (Bob) /AP << /N 13 0 R >> >>").SetStream(13, "", "BT (Bob) Tj ET");
    };
    const TUpdate signSecond = [](PdfBuilder& B, const std::string&) {
        B.Set(12, "<< /FT /Sig /Type /Annot /Subtype /Widget /Rect [0 0 0 0] /P 3 0 R /T (Signature2) /V 13 0 R >>");
        B.Set(13, "<< /Type /Sig /ByteRange [0 1 2 3] /Contents <00> >>");
    };
    struct TCase {
        const char* Name;
        std::string Lock;       // field 6's /Lock
        std::string Signature;  // signature 5's entries
        int P;
        TUpdate Update;
        TVerdict Verdict;
        size_t Locks;
    };
    const TCase cases[] = {
        {"a lock on the field filled", "/Lock << /Type /SigFieldLock /Action /Include /Fields [(Name)] >> ", "", 3,
         fillName, TVerdict::NotAllowed, 1},
        {"a FieldMDP reference on it, without a certification", "", fieldMdp, 0, fillName, TVerdict::NotAllowed, 1},
        {"the lock and the reference as one", "/Lock << /Type /SigFieldLock /Action /Include /Fields [(Name)] >> ",
         fieldMdp, 2, fillName, TVerdict::NotAllowed, 1},
        {"all but it locked", "/Lock << /Action /Exclude /Fields [(Name)] >> ", "", 2, fillName, TVerdict::Allowed, 1},
        {"all locked", "/Lock << /Action /All >> ", "", 3, signSecond, TVerdict::NotAllowed, 1},
        {"another field locked", "/Lock << /Action /Include /Fields [(Other)] >> ", "", 2, signSecond,
         TVerdict::Allowed, 1},
        {"a lock with a level of its own", "/Lock << /Action /Include /Fields [(Other)] /P 1 >> ", "", 0, signSecond,
         TVerdict::NotAllowed, 1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const TDocumentHistory history = Updated(c.P, c.Update, Signed(c.P, c.Lock, c.Signature));
        ASSERT_FALSE(history.Reviews.empty());
        const TSignatureReview& review = history.Reviews[0];
        EXPECT_EQ(review.Description.Permissions.FieldMdp.size(), c.Locks);
        ASSERT_EQ(review.Later.size(), 1u);
        EXPECT_EQ(review.Later[0].Verdict, c.Verdict);
    }
}

TEST(Verdicts, EachKindOfSignatureIsTold) {
    struct TCase {
        const char* Name;
        std::string Catalog;
        std::string SubFilter;
        std::string Signature;
        TSignatureKind Kind;
        std::optional<int32_t> DocMdp;
        bool Ur3;
    };
    const std::string docMdp = "/Reference [<< /TransformMethod /DocMDP /TransformParams << /P 1 >> >>] ";
    const TCase cases[] = {
        {"approval", "", "adbe.pkcs7.detached", "", TSignatureKind::Approval, std::nullopt, false},
        {"certification", "/Perms << /DocMDP 5 0 R >> ", "ETSI.CAdES.detached", docMdp, TSignatureKind::Certification,
         1, false},
        {"certification naming no level", "/Perms << /DocMDP 5 0 R >> ", "adbe.pkcs7.detached", "",
         TSignatureKind::Certification, 2, false},
        {"a DocMDP reference without the catalog's word", "", "adbe.pkcs7.detached", docMdp, TSignatureKind::Approval,
         std::nullopt, false},
        {"usage rights", "/Perms << /UR3 5 0 R >> ", "adbe.pkcs7.sha1", "", TSignatureKind::UsageRights, std::nullopt,
         true},
        {"document timestamp", "", "ETSI.RFC3161", "", TSignatureKind::DocumentTimestamp, std::nullopt, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        SignedExtras extras;
        extras.Catalog = c.Catalog;
        extras.SubFilter = c.SubFilter;
        extras.Signature = c.Signature;
        const SignedDocument document({}, [](std::vector<long long>&) {}, extras);
        const TDocumentHistory history = HistoryOf(document.Builder.Build());
        ASSERT_EQ(history.Reviews.size(), 1u);
        const TSignatureDescription& description = history.Reviews[0].Description;
        EXPECT_EQ(description.Kind, c.Kind);
        EXPECT_EQ(description.SubFilter, c.SubFilter);
        EXPECT_EQ(description.Permissions.DocMdp, c.DocMdp);
        EXPECT_EQ(description.Permissions.Ur3, c.Ur3);
        EXPECT_EQ(description.Field, "Signature1");
        EXPECT_TRUE(history.Reviews[0].Later.empty());
    }
}

TEST(Verdicts, AnObjectIsReadAsEachRevisionLeftIt) {
    for (const bool objectStreams : {false, true}) {
        SCOPED_TRACE(objectStreams ? "object streams" : "tables");
        PdfBuilder::Options options;
        options.XrefStreams = objectStreams;
        options.ObjectStreams = objectStreams;
        PdfBuilder builder(options);
        builder.Set(1, "<< /Type /Catalog /Pages 2 0 R >>").Set(2, "<< /Type /Pages /Kids [] /Count 0 /Tag (one) >>");
        builder.SetStream(3, "", "first");
        builder.NewRevision().Root(1).Set(2, "<< /Type /Pages /Kids [] /Count 0 /Tag (two) >>");
        builder.SetStream(3, "", "second").Set(1, "<< /Type /Catalog /Pages 2 0 R /Version /2.0 >>");
        const TempFile file(builder.Build());
        TExtendedAnalyst analyst;
        analyst.LoadFromFile(file.Path());
        TObjectReader reader(analyst);
        const TRevisionChain chain = ReadRevisionChain(reader);
        TRevisionView view(reader, chain.Revisions);
        ASSERT_EQ(view.Count(), 2u);
        EXPECT_EQ(view.Object(0, 2)->Find("Tag")->Text(), "one");
        EXPECT_EQ(view.Object(1, 2)->Find("Tag")->Text(), "two");
        EXPECT_NE(view.StreamBytes(0, 3).find("first"), std::string::npos);
        EXPECT_NE(view.StreamBytes(1, 3).find("second"), std::string::npos);
        EXPECT_FALSE(view.SameObject(0, 1, 1));
        EXPECT_FALSE(view.SameObject(0, 1, 3));
        EXPECT_TRUE(view.Object(0, 9)->IsNull());
        EXPECT_TRUE(view.Reachable(0).count(2) != 0);
        EXPECT_TRUE(view.Reachable(0).count(3) == 0);
    }
}

}  // namespace
}  // namespace lumerra::test
