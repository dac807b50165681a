// An inline image's /Decode and /DecodeParms: their shape from the image's
// colour space, mask and filters, whatever order the keys come in.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "check/ContentChecker.h"

using namespace lumerra;
using namespace lumerra::check;

namespace {

// "code args @offset" of each finding about the image's dictionary, the
// offset being that of its key inside Dictionary.
std::vector<std::string> DictionaryFaults(const std::string& Dictionary) {
    TResourceNames names;
    names.Declare(TResourceCategory::ColorSpace, "CS3", {.Space = TColourSpace::Device(3)});
    names.Declare(TResourceCategory::ColorSpace, "CSX", {});
    TPageFindings findings(1);
    TContentChecker checker(names, findings);
    const std::string head = "BI /W 1 /H 1 ";
    const std::string content = head + Dictionary + " ID\n" + std::string(4, 'x') + " EI";
    checker.Check({reinterpret_cast<const uint8_t*>(content.data()), content.size()}, 5);
    checker.Finish();
    std::vector<std::string> faults;
    for (const TFinding& f : findings.Kept()) {
        std::string line(CodeName(f.Message.Code));
        for (const std::string& arg : f.Message.Args) line += " " + arg;
        if (f.Message.Code == TMessageCode::InlineImageLengthMismatch) continue;
        faults.push_back(line + " @" + std::to_string(f.Offset - static_cast<int64_t>(head.size())));
    }
    return faults;
}

struct TCase {
    const char* Dictionary;
    std::vector<std::string> Expected;
};

const TCase Cases[] = {
    // Two numbers per component, by the colour space however it is named.
    {"/BPC 8 /CS /G /D [1 0]", {}},
    {"/BPC 8 /CS /RGB /D [0 1 0 1 0 1]", {}},
    {"/BPC 8 /D [0 1 0 1 0 1 0 1] /CS /CMYK", {}},
    {"/BPC 8 /CS /CS3 /D [0 1.0 0 1 0 1]", {}},
    {"/BPC 8 /CS [/I /RGB 1 <000000FFFFFF>] /D [0 1]", {}},
    {"/BPC 8 /CS /RGB /D [0 1]", {"inline-image-decode-count 6 @16"}},
    {"/BPC 8 /D [0 1] /CS /CMYK", {"inline-image-decode-count 8 @7"}},
    {"/BPC 8 /CS [/I /RGB 1 <000000FFFFFF>] /D [0 1 0 1 0 1]", {"inline-image-decode-count 2 @38"}},
    // An image mask takes two, whatever else is said.
    {"/IM true /D [1 0]", {}},
    {"/IM true /D [0 1 0 1]", {"inline-image-decode-count 2 @9"}},
    // A space not known here: only the shape.
    {"/BPC 8 /CS /CSX /D [0 1 0 1 0 1 0 1 0 1]", {}},
    {"/BPC 8 /CS /CSX /D [0 1 0]", {"inline-image-decode-not-numbers @16"}},
    {"/BPC 8 /CS /G /D [0 /One]", {"inline-image-decode-not-numbers @14"}},
    {"/BPC 8 /CS /G /D 1", {"inline-image-decode-not-numbers @14"}},

    // One filter: one dictionary, or null.
    {"/BPC 8 /CS /G /F /Fl /DP << /Predictor 12 /Columns 1 >>", {}},
    {"/BPC 8 /CS /G /DP null /F /Fl", {}},
    {"/BPC 8 /CS /G /F /Fl /DP [<< /Predictor 12 >>]", {"inline-image-decode-parms-not-dictionary @21"}},
    {"/BPC 8 /CS /G /F /Fl /DP 12", {"inline-image-decode-parms-not-dictionary @21"}},
    // A filter array: one per filter, null for a filter without any; a
    // filter array of one takes a bare dictionary too.
    {"/BPC 8 /CS /G /F [/AHx /Fl] /DP [null << /Predictor 12 >>]", {}},
    {"/BPC 8 /CS /G /DP [null << /Predictor 12 >>] /F [/AHx /Fl]", {}},
    {"/BPC 8 /CS /G /F [/Fl] /DP << /Predictor 12 >>", {}},
    {"/BPC 8 /CS /G /F [/AHx /Fl] /DP << /Predictor 12 >>", {"inline-image-decode-parms-not-per-filter 2 @28"}},
    {"/BPC 8 /CS /G /F [/AHx /Fl] /DP [<< /Predictor 12 >>]", {"inline-image-decode-parms-not-per-filter 2 @28"}},
    {"/BPC 8 /CS /G /F [/AHx /Fl] /DP [null 1]", {"inline-image-decode-parms-not-per-filter 2 @28"}},
};

}  // namespace

TEST(InlineImage, DecodeAndDecodeParmsFitTheImage) {
    for (const TCase& c : Cases) EXPECT_EQ(DictionaryFaults(c.Dictionary), c.Expected) << c.Dictionary;
}
