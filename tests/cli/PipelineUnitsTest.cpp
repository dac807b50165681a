// Pipeline mode's units that read untrusted bytes or must never change: the
// file list, the shard hash, the record log of a resumed run, the frames.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "cli/pipeline/FileList.h"
#include "cli/pipeline/Frame.h"
#include "cli/pipeline/ResumeLog.h"
#include "cli/pipeline/Shard.h"

using namespace lumerra::cli::pipeline;
using namespace std::string_literals;

TEST(PipelineFileList, SplitsAtItsSeparatorOnly) {
    struct TCase {
        std::string List;
        char Separator;
        std::vector<std::string> Paths;
    };
    const std::vector<TCase> cases = {
        {"a.pdf\nb.pdf\n", '\n', {"a.pdf", "b.pdf"}},
        {"a.pdf\nb.pdf", '\n', {"a.pdf", "b.pdf"}},  // no end after the last
        {"\n\na.pdf\n\n", '\n', {"a.pdf"}},           // empty lines passed over
        {"a b.pdf\r\n", '\n', {"a b.pdf\r"}},         // a path may hold \r
        {"a\nb.pdf\0c.pdf\0"s, '\0', {"a\nb.pdf", "c.pdf"}},
        {"", '\n', {}},
        {"\0\0"s, '\0', {}},
    };
    for (const TCase& c : cases) EXPECT_EQ(SplitFileList(c.List, c.Separator), c.Paths) << c.List;
}

// The hash is documented: the first 8 bytes of SHA-256 of the path,
// big-endian. Values from another SHA-256 implementation.
TEST(PipelineShard, HashAndParse) {
    EXPECT_EQ(PathHash("a.pdf"), 0xa7949e623819aa32u);
    EXPECT_EQ(PathHash("/corpus/0001.pdf"), 0x88500db551f52c48u);
    EXPECT_EQ(PathHash(""), 0xe3b0c44298fc1c14u);
    EXPECT_TRUE(InShard("a.pdf", {1, 7}));
    EXPECT_TRUE(InShard("/corpus/0001.pdf", {2, 7}));
    struct TCase {
        std::string Text;
        bool Valid;
        uint64_t Index, Count;
    };
    for (const TCase& c : std::vector<TCase>{{"0/1", true, 0, 1},
                                             {"6/7", true, 6, 7},
                                             {"7/7", false, 0, 0},
                                             {"1/0", false, 0, 0},
                                             {"-1/3", false, 0, 0},
                                             {"1/3x", false, 0, 0},
                                             {"1", false, 0, 0},
                                             {"/3", false, 0, 0}}) {
        const std::optional<TShard> shard = ParseShard(c.Text);
        ASSERT_EQ(shard.has_value(), c.Valid) << c.Text;
        if (shard) {
            EXPECT_EQ(std::make_pair(shard->Index, shard->Count), std::make_pair(c.Index, c.Count));
        }
    }
}

// A torn last record is not whole; a whole line that is no record names no
// file but is kept.
TEST(PipelineResumeLog, WholeRecordsOnly) {
    struct TCase {
        std::string Log;
        std::set<std::string> Files;
        size_t WholeBytes;
    };
    const std::string a = "{\"file\":\"a.pdf\",\"status\":\"ok\"}\n";
    const std::vector<TCase> cases = {
        {"", {}, 0},
        {a, {"a.pdf"}, a.size()},
        {a + "{\"file\":\"b.pdf\",\"sta", {"a.pdf"}, a.size()},
        {a + "{\"file\":\"b.pdf\"}", {"a.pdf"}, a.size()},  // whole JSON, but not ended
        {"garbage\n" + a, {"a.pdf"}, 8 + a.size()},
        {"[\"file\"]\n{\"file\":3}\n", {}, 20},
    };
    for (const TCase& c : cases) {
        const TRecorded recorded = ReadRecorded(c.Log);
        EXPECT_EQ(recorded.Files, c.Files) << c.Log;
        EXPECT_EQ(recorded.WholeBytes, c.WholeBytes) << c.Log;
    }
}

// Frames come whole, whatever the pieces the pipe gives them in.
TEST(PipelineFrame, ComeWholeFromAnyPieces) {
    const std::vector<TFrame> frames = {{'S', {"12", "ab"}}, {'D', {"", std::string("\0\n\xff", 3), "x"}}, {'E', {}}};
    std::string bytes;
    for (const TFrame& frame : frames) bytes += EncodeFrame(frame);
    for (const size_t piece : {size_t{1}, size_t{3}, size_t{7}, bytes.size()}) {
        TFrameReader reader;
        std::vector<TFrame> read;
        for (size_t at = 0; at < bytes.size(); at += piece) {
            reader.Feed(std::string_view(bytes).substr(at, piece));
            while (std::optional<TFrame> frame = reader.Next()) read.push_back(*frame);
        }
        ASSERT_EQ(read.size(), frames.size()) << piece;
        for (size_t i = 0; i < frames.size(); ++i) {
            EXPECT_EQ(read[i].Kind, frames[i].Kind);
            EXPECT_EQ(read[i].Fields, frames[i].Fields);
        }
    }
}
