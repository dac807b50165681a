// The stream data reader: the end of line after "stream", where the source is
// left, the line end in front of Flate data, the "endstream" check and which
// errors get out.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <new>
#include <string>

#include "filters/FilterChain.h"
#include "pdf/PDFLexer.h"
#include "pdf/StreamData.h"
#include "support/FilterFixtures.h"
#include "support/PdfBuilder.h"

namespace lumerra {
namespace {

using test::Contents;
using test::Deflate;
using test::Load;

const std::string Hex(ASCIIHexDecodeName);
const std::string A85(ASCII85DecodeName);
const std::string Flate(FlateDecodeName);

constexpr int32_t AfterStream = 6;  // the source holds "stream" + the rest

struct Result {
    std::string Output;
    int32_t Position = 0;  // of the source on return
};

// Runs ReadStreamData over "stream" + Rest from just after the keyword.
Result Read(const std::string& Rest, int32_t Length, const TStringList& Filters) {
    TMemoryStream source;
    Load(source, "stream" + Rest, AfterStream);
    TMemoryStream output;
    ReadStreamData(source, output, Length, Filters);
    return {Contents(output), static_cast<int32_t>(source.Position())};
}

int32_t Size(const std::string& S) { return static_cast<int32_t>(S.size()); }

#if defined(__SANITIZE_ADDRESS__)
constexpr bool AddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool AddressSanitizer = true;
#else
constexpr bool AddressSanitizer = false;
#endif
#else
constexpr bool AddressSanitizer = false;
#endif

// Lets the process map at most Extra bytes more than it has mapped now.
void LimitAddressSpace(int64_t Extra) {
    int64_t pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const auto limit = static_cast<rlim_t>(pages * sysconf(_SC_PAGESIZE) + Extra);
    const rlimit value{limit, limit};
    if (pages <= 0 || setrlimit(RLIMIT_AS, &value) != 0) std::_Exit(2);
}

// Which lists decode is the chain's business; the reader hands it the data
// of every list of known names, and reads the token after it.
TEST(FilterLists, DataOfKnownNamesGoesThroughTheChain) {
    const std::string text = test::ContentText(5000);
    const struct {
        TStringList Filters;
        std::string Data;
        std::string Appended;
    } cases[] = {
        {{A85, Flate}, test::EncodeASCII85(Deflate(text)) + "~>", text},
        {{Flate, A85}, test::EncodeASCII85(Deflate(text)) + "~>", ""},
    };
    for (const auto& c : cases) {
        const Result r = Read("\r\n" + c.Data + "\nendstream\nendobj", Size(c.Data), c.Filters);
        EXPECT_TRUE(r.Output == c.Appended);
        EXPECT_EQ(r.Position, AfterStream + 2 + Size(c.Data) + Size("\nendstream"));
    }
}

// What is appended, and where the source is left (counted from just after
// "stream"), by the length and the filters.
TEST(SourcePosition, ByLengthAndFilters) {
    struct Case {
        const char* Name;
        std::string Rest;
        int32_t Length;
        TStringList Filters;
        std::string Output;
        int32_t Position;
    };
    const std::vector<Case> cases = {
        {"no length", "\r\nABC\nendstream\n", 0, {}, "", 0},
        {"a negative length", "\r\nABC\nendstream\n", -1, {}, "", 0},
        {"the least length", "\r\nABC\nendstream\n", INT32_MIN, {}, "", 0},
        {"no length, filtered", "\r\n4142\nendstream\n", 0, {Hex}, "", 0},
        {"a negative length, filtered", "\r\n4142\nendstream\n", INT32_MIN, {Hex}, "", 0},
        {"an unsupported filter after CR LF", "\r\nDATA\nendstream\n", 4, {"/DCTDecode"}, "", 2},
        {"an unsupported filter after LF", "\nDATA\nendstream\n", 4, {"/DCTDecode"}, "", 1},
        {"an unsupported filter after CR", "\rDATA\nendstream\n", 4, {"/DCTDecode"}, "", 1},
        {"no filter: just after the data", "\nDATA\nendstream\n", 4, {}, "DATA", 1 + 4},
        {"supported filters: past the next token", "\n4142\r\n  endstream\nendobj", 4, {Hex}, "AB", 1 + 4 + 4 + 9},
        // The endstream check: a wrong length appends nothing.
        {"the length ends the data", "\n41424344\nendstream\n", 8, {Hex}, "ABCD", -1},
        {"a length short of the data", "\n41424344\nendstream\n", 6, {Hex}, "", -1},  // next token "44"
        {"a length past the data", "\n41424344\nendstream\n", 14, {Hex}, "", -1},
        {"a longer keyword", "\n41424344\nendstreamX\n", 8, {Hex}, "", -1},
        {"no endstream", "\n41424344\nendobj\n", 8, {Hex}, "", -1},
        {"unfiltered data is copied whatever follows", "\nDATA garbage", 4, {}, "DATA", -1},
    };
    for (const Case& c : cases) {
        const Result r = Read(c.Rest, c.Length, c.Filters);
        EXPECT_EQ(r.Output, c.Output) << c.Name;
        if (c.Position >= 0) {
            EXPECT_EQ(r.Position, AfterStream + c.Position) << c.Name;
        }
    }
}

TEST(StreamLineEnd, CrLfOrOneByteIsPassedOver) {
    const struct {
        std::string Bytes;
        int32_t DataStart;
    } cases[] = {
        {"\r\nDATA", 2}, {"\nDATA", 1}, {"\rDATA", 1}, {" DATA", 1},
        {"\n\nDATA", 1}, {"\r\rDATA", 1}, {"\n\rDATA", 1},
    };
    for (const auto& c : cases) {
        TMemoryStream source;
        Load(source, c.Bytes);
        SkipStreamLineEnd(source);
        EXPECT_EQ(source.Position(), c.DataStart) << test::EncodeHex(c.Bytes);
    }
}

// Stored (level 0) zlib data cut inside its block inflates every byte that
// came, so a line end that reaches the inflater shows in the output.
TEST(FlateLineEnd, OnlyTheCountedLastLineEndIsDropped) {
    const std::string stored = Deflate("ABCDEFGH", 0).substr(0, 2 + 5 + 4);
    const std::string hex = test::EncodeHex(stored) + "\r\n";
    struct Case {
        std::string Counted, After;  // the line end inside the length, and what follows before endstream
        std::string Output;
    };
    const std::vector<Case> cases = {
        {"\r\n", "", "ABCD"},
        {"\n", "", "ABCD"},
        {"\r", "", "ABCD"},
        {"\r\n", " ", "ABCD"},
        // Only the last line end.
        {"\n\r", "", "ABCD\n"},
        {"\n\n", "", "ABCD\n"},
        // Nothing before another line end.
        {"\r\n", "\n", "ABCD\r\n"},
        {"\n", "\r\n", "ABCD\n"},
    };
    for (const Case& c : cases) {
        const std::string data = stored + c.Counted;
        EXPECT_EQ(Read("\n" + data + c.After + "endstream\n", Size(data), {Flate}).Output, c.Output)
            << test::EncodeHex(c.Counted + "|" + c.After);
    }
    // Hexadecimal first passes over the line end.
    EXPECT_EQ(Read("\n" + hex + "endstream\n", Size(hex), {Hex, Flate}).Output, "ABCD");
    // Never more than the data holds.
    EXPECT_EQ(Read("\n\nendstream\n", 1, {Flate}).Output, "");
    EXPECT_EQ(Read("\n\r\nendstream\n", 2, {Flate}).Output, "");
}

// A second counted line end, or padding after the zlib data, loses nothing.
TEST(FlateInAStream, WhatFollowsTheZlibDataIsIgnored) {
    const std::string text = test::ContentText(3000);
    for (const std::string& data : {Deflate(text) + "\r\n", Deflate(text) + std::string(500, ' ') + "%pad"})
        EXPECT_EQ(Read("\r\n" + data + "\r\nendstream\n", Size(data), {Flate}).Output, text);
}

TEST(FlateInAStream, CorruptDataKeepsWhatWasInflatedQuietly) {
    const std::string text = test::ContentText(40000);
    const std::string data = test::DeflateThenBadBlock(text);
    Result r;
    EXPECT_NO_THROW(r = Read("\n" + data + "\nendstream\n", Size(data), {Flate}));
    EXPECT_TRUE(r.Output == text);
    const std::string hex = test::EncodeHex(data);
    EXPECT_NO_THROW(r = Read("\n" + hex + "\nendstream\n", Size(hex), {Hex, Flate}));
    EXPECT_TRUE(r.Output == text);
}

TEST(FlateInAStream, UndecodableDataAppendsNothingQuietly) {
    EXPECT_EQ(Read("\nnot zlib\nendstream\n", 8, {Flate}).Output, "");
    const std::string noHeader = test::DeflateWith("text text", -15);
    EXPECT_EQ(Read("\n" + noHeader + "\nendstream\n", Size(noHeader), {Flate}).Output, "");
}

// Filtered data, or any data that the file ends before, raises the read
// error and appends nothing; unfiltered data cut short keeps what came, and
// a huge claimed length is never reserved.
TEST(ReadErrors, DataCutByTheEndOfFile) {
    const std::string data = std::string(200000, 'A');
    const struct {
        const char* Name;
        std::string Rest;  // after "stream"
        int32_t Length;
        TStringList Filters;
        bool Raises;
    } cases[] = {
        {"nothing after stream", "", 4, {}, true},
        {"nothing after stream, filtered", "", 4, {Flate}, true},
        {"CR then the end", "\r", 4, {}, true},
        {"CR then the end, filtered", "\r", 4, {Flate}, true},
        {"a length past the end, filtered", "\n4142", 10, {Hex}, true},
        // No token (or no byte to check) follows.
        {"data that ends with the file", "\n4142", 4, {Hex}, true},
        {"Flate data that ends with the file", "\n" + Deflate("xyz"), Size(Deflate("xyz")), {Flate}, true},
        {"a huge length, filtered", "\n" + Deflate(data), INT32_MAX, {Flate}, true},
        {"unfiltered data cut short", "\nDATA", 100, {}, false},
        {"a huge length, unfiltered", "\n" + data, INT32_MAX, {}, false},
    };
    for (const auto& c : cases) {
        TMemoryStream source, output;
        Load(source, "stream" + c.Rest, AfterStream);
        if (c.Raises) {
            EXPECT_THROW(ReadStreamData(source, output, c.Length, c.Filters), EReadError) << c.Name;
            EXPECT_EQ(output.Size(), 0) << c.Name;
        } else {
            EXPECT_NO_THROW(ReadStreamData(source, output, c.Length, c.Filters)) << c.Name;
            EXPECT_TRUE(Contents(output) == c.Rest.substr(1)) << c.Name;
        }
    }
}

TEST(OutputErrors, AFailingOutputIsNoDecodingError) {
    test::TFailingStream output;
    const std::string data = Deflate("BT ET");
    for (const TStringList& filters : {TStringList{}, TStringList{Flate}}) {
        TMemoryStream source;
        Load(source, "stream\n" + data + "\nendstream\n", AfterStream);
        EXPECT_THROW(ReadStreamData(source, output, Size(data), filters), EWriteError);
    }
}

// Memory that runs out while decoding must stop the run, not shorten the
// report. Base-85 "z" groups decode to four times their size in one block,
// which a limit on the address space refuses.
TEST(OutOfMemory, AnAllocationFailureIsNoDecodingError) {
    if (AddressSanitizer) GTEST_SKIP() << "the sanitizer's shadow memory does not fit under the limit";
    constexpr int32_t Zeros = 16 * 1024 * 1024;
    TMemoryStream source;
    Load(source, "stream\n" + std::string(Zeros, 'z') + "\nendstream\n", AfterStream);
    EXPECT_EXIT(
        {
            LimitAddressSpace(3 * int64_t{Zeros});  // room for the raw data, not for its decoding
            TMemoryStream output;
            try {
                ReadStreamData(source, output, Zeros, {A85});
            } catch (const std::bad_alloc&) {
                std::_Exit(0);
            }
            std::_Exit(1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(PdfFile, StreamObjectOfABuiltFile) {
    const std::string text = test::ContentText(70000);
    test::PdfBuilder builder;
    const int number = builder.AddStream("/Filter /FlateDecode", Deflate(text));
    const std::string pdf = builder.Build();
    test::TempFile file(pdf);
    TFileStream source(file.Path(), TFileStream::TMode::OpenRead);
    const size_t keyword = pdf.find("stream", builder.Offsets().at(number));
    source.SetPosition(static_cast<int32_t>(keyword + 6));
    TMemoryStream output;
    ReadStreamData(source, output, Size(Deflate(text)), {Flate});
    EXPECT_TRUE(Contents(output) == text);
    std::string token;
    EXPECT_EQ(ReadToken(source, token), "endobj");
}

}  // namespace
}  // namespace lumerra
