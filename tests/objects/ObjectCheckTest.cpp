#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "objects/ObjectChecker.h"
#include "objects/MemorySource.h"

namespace lumerra::objects {
namespace {

// A small document the model has nothing to say against at PDF 1.7.
std::map<int32_t, std::string> CleanDocument() {
    return {
        {1, "<< /Type /Catalog /Pages 2 0 R >>"},
        {2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>"},
        {3, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R"
            " /Resources << /Font << /F1 5 0 R >> >> /Annots [6 0 R] >>"},
        {4, "stream << /Length 0 >>"},
        {5, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"},
        {6, "<< /Type /Annot /Subtype /Text /Rect [0 0 10 10] >>"},
        {7, "6"},
    };
}
const std::string CleanTrailer = "<< /Size 8 /Root 1 0 R >>";

struct TRun {
    std::vector<TObjectFinding> Findings;
    TObjectStats Stats;
};

TRun Check(const std::map<int32_t, std::string>& Objects, const std::string& Trailer, int Version = 17) {
    static const TModel model;
    test::TMemorySource source(Objects, Trailer);
    TFileFacts facts;
    facts.HeaderVersion = Version;
    facts.PageCount = 1;
    facts.FileSize = 10'000;
    TObjectChecker checker(model, source, facts);
    TRun run;
    checker.Run([&](const TObjectFinding& F) { run.Findings.push_back(F); });
    run.Stats = checker.Stats();
    return run;
}

std::string Describe(const std::vector<TObjectFinding>& Findings) {
    std::string text;
    for (const auto& f : Findings)
        text += std::string(CodeName(f.Code)) + " " + f.Path + " key=" + f.Key + " type=" + f.Type + "\n";
    return text;
}

TEST(ObjectCheck, CleanDocumentHasNoFindings) {
    const TRun run = Check(CleanDocument(), CleanTrailer);
    EXPECT_TRUE(run.Findings.empty()) << Describe(run.Findings);
    EXPECT_EQ(run.Stats.Types.count("FontType1"), 1u);
    EXPECT_EQ(run.Stats.Version, 17);
}

struct TPlanted {
    const char* Name;
    int32_t Object;           // the object replaced (0: the trailer)
    std::string Body;
    int Version;
    TObjectCode Code;
    std::string Path;
    std::string Key;
};

class PlantedFault : public ::testing::TestWithParam<TPlanted> {};

// One fault of each code, planted in the clean document: it is found, at
// its place, and nothing else is.
TEST_P(PlantedFault, IsFoundWhereItIs) {
    const TPlanted& p = GetParam();
    auto objects = CleanDocument();
    std::string trailer = CleanTrailer;
    (p.Object == 0 ? trailer : objects[p.Object]) = p.Body;
    const TRun run = Check(objects, trailer, p.Version);
    ASSERT_EQ(run.Findings.size(), 1u) << Describe(run.Findings);
    const TObjectFinding& f = run.Findings[0];
    EXPECT_EQ(CodeName(f.Code), CodeName(p.Code));
    EXPECT_EQ(f.Path, p.Path);
    EXPECT_EQ(f.Key, p.Key);
    EXPECT_EQ(f.Severity, SeverityOf(p.Code));
    EXPECT_EQ(run.Stats.Findings[static_cast<size_t>(p.Code)], 1);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, PlantedFault,
    ::testing::Values(
        TPlanted{"MissingKey", 2, "<< /Type /Pages /Kids [3 0 R] >>", 17, TObjectCode::MissingKey,
                 "trailer/Root/Pages", "Count"},
        // MediaBox is inherited: absent from the page, present on its parent.
        TPlanted{"WrongType", 2, "<< /Type /Pages /Kids [3 0 R] /Count (1) >>", 17, TObjectCode::WrongType,
                 "trailer/Root/Pages", "Count"},
        TPlanted{"NotIndirect", 1, "<< /Type /Catalog /Pages << /Type /Pages /Kids [3 0 R] /Count 1 >> >>", 17,
                 TObjectCode::NotIndirect, "trailer/Root", "Pages"},
        TPlanted{"NotDirect", 0, "<< /Size 7 0 R /Root 1 0 R >>", 17, TObjectCode::NotDirect, "trailer", "Size"},
        TPlanted{"ValueNotAllowed", 1, "<< /Type /Catalog /Pages 2 0 R /PageLayout /Diagonal >>", 17,
                 TObjectCode::ValueNotAllowed, "trailer/Root", "PageLayout"},
        TPlanted{"ValueCondition", 2, "<< /Type /Pages /Kids [3 0 R] /Count -1 >>", 17,
                 TObjectCode::ValueNotAllowed, "trailer/Root/Pages", "Count"},
        TPlanted{"ArrayLength", 3,
                 "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612] /Contents 4 0 R"
                 " /Resources << /Font << /F1 5 0 R >> >> >>",
                 17, TObjectCode::ArrayLength, "trailer/Root/Pages/Kids/0", "MediaBox"},
        TPlanted{"NewerThanFile", 1, "<< /Type /Catalog /Pages 2 0 R /Lang (en) >>", 13, TObjectCode::NewerThanFile,
                 "trailer/Root", "Lang"},
        TPlanted{"Deprecated", 3,
                 "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R"
                 " /Resources << /Font << /F1 5 0 R >> >> /Annots [6 0 R] /Hid false >>",
                 17, TObjectCode::Deprecated, "trailer/Root/Pages/Kids/0", "Hid"},
        TPlanted{"UnknownKey", 1, "<< /Type /Catalog /Pages 2 0 R /Colour /Blue >>", 17, TObjectCode::UnknownKey,
                 "trailer/Root", "Colour"},
        TPlanted{"SpecialCase", 6, "<< /Type /Annot /Subtype /Text /Rect [0 0 10 10] /F 4096 >>", 17,
                 TObjectCode::SpecialCase, "trailer/Root/Pages/Kids/0/Annots/0", "F"},
        TPlanted{"NoTypeFits", 6, "<< /Type /Annot /Subtype /Scribble /Rect [0 0 10 10] >>", 17,
                 TObjectCode::NoTypeFits, "trailer/Root/Pages/Kids/0/Annots/0", ""}),
    [](const ::testing::TestParamInfo<TPlanted>& Info) { return std::string(Info.param.Name); });

struct TRule {
    const char* Name;
    std::map<int32_t, std::string> Changes;  // objects replaced or added
    std::string Trailer;                     // empty: the clean one
    int Version;
    std::vector<std::string> Findings;       // "code key", in order
    std::string Type;                        // a type that must have been matched; empty: none asked
};

// Rules of the model that real producers' files showed wrong readings of:
// each case is one shape, the findings it must give, and the type the
// object must be checked as.
TEST(ObjectCheck, ReadsTheModelsRulesAsMeant) {
    const std::string image = "stream << /Type /XObject /Subtype /Image /Width 2 /Height 2 /Length 0 ";
    const std::string page = "<< /Type /Page /Parent 2 0 R /Contents 4 0 R /Resources << /Font << /F1 5 0 R >>";
    const std::string catalog = "<< /Type /Catalog /Pages 2 0 R /StructTreeRoot 8 0 R >>";
    const std::string tree = "<< /Type /StructTreeRoot /K 9 0 R >>";
    const std::string element = "<< /Type /StructElem /S /Link /P 8 0 R ";
    const std::vector<TRule> rules{
        // A value a condition requires elsewhere is allowed all the same.
        {"RequiredValueIsAllowed", {{10, image + "/ColorSpace /DeviceRGB /BitsPerComponent 8 /Filter /FlateDecode >>"},
                                    {3, page + " /XObject << /Im1 10 0 R >> >> /MediaBox [0 0 1 1] >>"}},
         "", 17, {}, "XObjectImage"},
        {"RequiredValueIsRequired", {{10, image + "/BitsPerComponent 8 /ImageMask true >>"},
                                     {3, page + " /XObject << /Im1 10 0 R >> >> /MediaBox [0 0 1 1] >>"}},
         "", 17, {"value-not-allowed BitsPerComponent", "special-case ImageMask"}, ""},
        // A destination to a page is no destination to a structure element
        // (both exist in PDF 2.0, whose fonts and trailer need more).
        {"DestinationToAPage", {{6, "<< /Type /Annot /Subtype /Link /Rect [0 0 1 1] /Dest [3 0 R /XYZ null null null] >>"}},
         "", 20,
         {"missing-key ID", "missing-key FirstChar", "missing-key LastChar", "missing-key Widths",
          "missing-key FontDescriptor"},
         "DestXYZArray"},
        // A stream's /Filter names its parameters' type.
        {"ParametersOfTheFilter", {{4, "stream << /Length 0 /Filter /FlateDecode /DecodeParms << /Predictor 12 /Columns 4 >> >>"}},
         "", 17, {}, "FilterFlateDecode"},
        // Pairs of an xref stream's /Index: an odd count is one too few.
        {"RepeatedGroups", {{9, "6"}},
         "stream << /Type /XRef /Size 10 /W [1 2 1] /Index [0 5 7] /Root 1 0 R /Length 0 >>", 17,
         {"array-length Index", "array-length "}, "XRefStream"},
        // An inheritable key is looked for up the page tree.
        {"InheritedMediaBox", {{2, "<< /Type /Pages /Kids [3 0 R] /Count 1 /MediaBox [0 0 9 9] >>"},
                               {3, page + " >> /Annots [6 0 R] >>"}},
         "", 17, {}, "PageObject"},
        {"NotInheritedMediaBox", {{3, page + " >> /Annots [6 0 R] >>"}}, "", 17, {"missing-key MediaBox"}, ""},
        // A link's object reference may leave its page to its structure
        // element: the parent meant is the element, not the /K array.
        {"PageOfTheElement", {{1, catalog}, {8, tree}, {9, element + "/Pg 3 0 R /K [<< /Type /OBJR /Obj 6 0 R >>] >>"}},
         "", 17, {}, "ObjectReference"},
        {"NoPageAnywhere", {{1, catalog}, {8, tree}, {9, element + "/K [<< /Type /OBJR /Obj 6 0 R >>] >>"}},
         "", 17, {"missing-key Pg"}, ""},
        // Attribute objects, each maybe followed by its revision number.
        {"RevisionsLeftOut", {{1, catalog}, {8, tree}, {9, element + "/A [<< /O /Layout >> << /O /Table >> 0] >>"}},
         "", 17, {}, "ArrayOfAttributeRevisions"},
        {"RevisionOfNoKind", {{1, catalog}, {8, tree}, {9, element + "/A [<< /O /Layout >> (1)] >>"}},
         "", 17, {"wrong-type 1"}, ""},
    };
    for (const TRule& rule : rules) {
        auto objects = CleanDocument();
        for (const auto& [number, body] : rule.Changes) objects[number] = body;
        const TRun run = Check(objects, rule.Trailer.empty() ? CleanTrailer : rule.Trailer, rule.Version);
        std::vector<std::string> findings;
        for (const TObjectFinding& f : run.Findings)
            if (f.Severity != TObjectSeverity::Info) findings.push_back(std::string(CodeName(f.Code)) + " " + f.Key);
        EXPECT_EQ(findings, rule.Findings) << rule.Name << "\n" << Describe(run.Findings);
        if (!rule.Type.empty()) {
            EXPECT_EQ(run.Stats.Types.count(rule.Type), 1u) << rule.Name;
        }
    }
}

// A second-class name is an unknown key all the same, counted apart.
TEST(ObjectCheck, SecondClassNamesAreCountedApart) {
    auto objects = CleanDocument();
    objects[1] = "<< /Type /Catalog /Pages 2 0 R /ABCD_Extra 1 >>";
    const TRun run = Check(objects, CleanTrailer);
    ASSERT_EQ(run.Findings.size(), 1u) << Describe(run.Findings);
    EXPECT_TRUE(run.Findings[0].SecondClass);
    EXPECT_EQ(run.Stats.SecondClassKeys, 1);
    EXPECT_EQ(run.Stats.Findings[static_cast<size_t>(TObjectCode::UnknownKey)], 0);
}

// A font is checked as the one type its Subtype names, among the many a
// font map links to.
TEST(ObjectCheck, LinkTypesAreChosenByTheirDistinguishingKeys) {
    struct TCase {
        std::string Font;
        std::string Type;
    };
    for (const TCase& c : std::vector<TCase>{
             {"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>", "FontType1"},
             {"<< /Type /Font /Subtype /TrueType /BaseFont /Arial /FirstChar 32 /LastChar 32 /Widths [250]"
              " /FontDescriptor 8 0 R >>",
              "FontTrueType"},
             {"<< /Type /Font /Subtype /Type3 /FontBBox [0 0 1 1] /FontMatrix [1 0 0 1 0 0] /CharProcs << >>"
              " /Encoding << /Type /Encoding >> /FirstChar 32 /LastChar 32 /Widths [250] /Resources << >> >>",
              "FontType3"},
         }) {
        auto objects = CleanDocument();
        objects[5] = c.Font;
        objects[8] = "<< /Type /FontDescriptor /FontName /Arial /Flags 32 /FontBBox [0 0 1 1] /ItalicAngle 0"
                     " /Ascent 1 /Descent 0 /CapHeight 1 /StemV 1 >>";
        const TRun run = Check(objects, "<< /Size 9 /Root 1 0 R >>");
        EXPECT_EQ(run.Stats.Types.count(c.Type), 1u) << c.Type << "\n" << Describe(run.Findings);
        EXPECT_EQ(run.Stats.Findings[static_cast<size_t>(TObjectCode::NoTypeFits)] +
                      run.Stats.Findings[static_cast<size_t>(TObjectCode::TypesTie)],
                  0)
            << Describe(run.Findings);
    }
}

// Hostile shapes cost bounded work: a page tree that holds itself, and a
// name tree whose kids loop.
TEST(ObjectCheck, LoopsAreWalkedOnce) {
    auto objects = CleanDocument();
    objects[2] = "<< /Type /Pages /Kids [3 0 R 2 0 R] /Count 1 >>";
    objects[1] = "<< /Type /Catalog /Pages 2 0 R /Names << /Dests 9 0 R >> >>";
    objects[9] = "<< /Kids [9 0 R] >>";
    const TRun run = Check(objects, CleanTrailer);
    EXPECT_LT(run.Stats.ObjectsChecked, 50);
    EXPECT_FALSE(run.Stats.Cut);
}

// A long chain of outline items, each with a key the model does not know:
// every item is told, by the root and the last steps of its path.
TEST(ObjectCheck, LongChainsAreToldByTheirLastSteps) {
    auto objects = CleanDocument();
    constexpr int32_t Items = 2000, First = 100;
    objects[1] = "<< /Type /Catalog /Pages 2 0 R /Outlines 99 0 R >>";
    objects[99] = "<< /Type /Outlines /First 100 0 R /Last " + std::to_string(First + Items - 1) + " 0 R >>";
    for (int32_t i = 0; i < Items; ++i) {
        const int32_t n = First + i;
        std::string item = "<< /Title (t) /Parent 99 0 R /Extra 1";
        if (i > 0) item += " /Prev " + std::to_string(n - 1) + " 0 R";
        if (i + 1 < Items) item += " /Next " + std::to_string(n + 1) + " 0 R";
        objects[n] = item + " >>";
    }
    const TRun run = Check(objects, CleanTrailer);
    ASSERT_EQ(run.Stats.Findings[static_cast<size_t>(TObjectCode::UnknownKey)], Items) << Describe(run.Findings);
    EXPECT_EQ(run.Findings.front().Path, "trailer/Root/Outlines/First");
    EXPECT_EQ(run.Findings.back().Path.rfind("trailer/.../", 0), 0u) << run.Findings.back().Path;
    EXPECT_EQ(run.Stats.Findings[static_cast<size_t>(TObjectCode::MissingKey)], 0) << Describe(run.Findings);
}

}  // namespace
}  // namespace lumerra::objects
