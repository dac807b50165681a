// The table rebuild's one pass: what it takes for a header, a trailer or a
// telling dictionary, whatever the size of the chunks the file is read in.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "pdf/Repair.h"

using namespace lumerra;

namespace {

// "n@offset" for each object by number, then the keys found.
std::string Scan(const std::string& Bytes, int32_t ChunkSize) {
    TMemoryStream file;
    file.WriteBuffer(Bytes.data(), static_cast<int32_t>(Bytes.size()));
    const TRepairScan scan = ScanForObjects(file, ChunkSize);
    std::string out;
    for (const auto& [number, offset] : std::map<int32_t, int32_t>(scan.Objects.begin(), scan.Objects.end()))
        out += std::to_string(number) + "@" + std::to_string(offset) + " ";
    if (scan.Root != -1) out += "root=" + std::to_string(scan.Root) + " ";
    if (scan.Info != -1) out += "info=" + std::to_string(scan.Info) + " ";
    if (scan.LastCatalog != -1) out += "catalog=" + std::to_string(scan.LastCatalog) + " ";
    for (const int32_t stream : scan.ObjectStreams) out += "objstm=" + std::to_string(stream) + " ";
    if (scan.Encrypted) out += "encrypted ";
    if (!out.empty()) out.pop_back();
    return out;
}

constexpr int32_t WholeFile = 1 << 20;

}  // namespace

// Each case read in one chunk and in every chunk size from 24 bytes up, so
// that each token and "endstream" is cut at every place once.
TEST(Repair, FindsHeadersTrailersAndTellingDictionaries) {
    struct Case {
        const char* Name;
        std::string Bytes, Found;
    };
    const std::vector<Case> cases = {
        {"headers, a catalog, a trailer cut off",
         "1 0 obj<</Type/Catalog>>endobj 2 0 obj null endobj trailer<</Root 1 0 R/Info 2 0 R>>",
         "1@0 2@31 root=1 info=2 catalog=1"},
        {"headers back to back", "%PDF-1.7\n10 0 obj\n11 0 obj\n12 0 obj\n13 0 obj\n", "10@9 11@18 12@27 13@36"},
        {"a later definition wins", "1 0 obj 1 endobj\n1 0 obj 2 endobj", "1@17"},
        {"names with #xx", "3 0 obj<</Type /Cat#61log>>endobj 4 0 obj<</Ty#70e/ObjStm>>stream\nendstream",
         "3@0 4@34 catalog=3 objstm=4"},
        {"a string holding a header", "(x\\) 1 0 obj (y) z) 2 0 obj", "2@20"},
        {"a hex string holding one", "<312030206F626A>1 0 obj", "1@16"},
        {"<< and >> between and around", "1 0<<obj 2 0 obj>>3 0 obj", "2@9 3@18"},
        {"a comment is white space", "1 0 %c\nobj", "1@0"},
        {"a comment holding headers", "1 0 obj 22 0 obj %3 0 obj 4 0 obj\n5 0 obj", "1@0 5@34 22@8"},
        {"numbers that are no object numbers", "-1 0 obj 1.0 0 obj 99999999999 0 obj 4 0 obj", "4@37"},
        {"stream data passed over",
         "1 0 obj<</Length 40>>stream\n2 0 obj abcdefghijklmnopqrstuvwxyz0123\nendstream 3 0 obj", "1@0 3@77"},
        {"a cross-reference stream's keys",
         "5 0 obj<</Type/XRef/Root 1 0 R/Info 2 0 R/Encrypt 6 0 R>>stream\nendstream",
         "5@0 root=1 info=2 encrypted"},
        {"the newest trailer wins", "trailer<</Root 1 0 R>>startxref 9 trailer<</Root 2 0 R>>startxref", "root=2"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Scan(c.Bytes, WholeFile), c.Found) << c.Name;
        for (int32_t chunk = 24; chunk <= 96; ++chunk)
            EXPECT_EQ(Scan(c.Bytes, chunk), c.Found) << c.Name << ", chunks of " << chunk;
    }
}

// One "(" must not swallow the rest of the file, nor loop: a string larger
// than a chunk is damage, passed over a chunk at a time.
TEST(Repair, AStringLargerThanAChunkIsPassedOver) {
    const std::string huge(3 * 1024 * 1024, 'x');
    const int32_t header = static_cast<int32_t>(huge.size()) + 3;
    for (const std::string& bytes : {"(" + huge + "\n\n1 0 obj", "(" + huge + ")\n1 0 obj"})
        for (const int32_t chunk : {64, WholeFile}) EXPECT_EQ(Scan(bytes, chunk), "1@" + std::to_string(header)) << chunk;
}
