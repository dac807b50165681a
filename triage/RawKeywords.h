// The raw keyword counts of triage: the keywords that analysts look for,
// counted in the file's bytes as pdfid 0.2.10 counts them, so that the two
// tools give the same numbers. Nothing is parsed: the counts see every
// revision, stream data and junk alike, and nothing inside object streams.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace lumerra {

// The keywords in the order the reports list them. The first seven are
// words; the others names, which the structural scan also looks for.
inline constexpr std::array<std::string_view, 20> TriageKeywords = {
    "obj",      "endobj",     "stream",       "endstream",  "xref",      "trailer",   "startxref",
    "/Page",    "/Encrypt",   "/ObjStm",      "/JS",        "/JavaScript", "/AA",     "/OpenAction",
    "/AcroForm", "/JBIG2Decode", "/RichMedia", "/Launch",   "/EmbeddedFile", "/XFA"};
inline constexpr size_t FirstNameKeyword = 7;
constexpr bool IsNameKeyword(size_t Index) { return Index >= FirstNameKeyword; }

struct TKeywordCount {
    int64_t Raw = 0;
    int64_t Escaped = 0;  // of those, spelt with "#xx" somewhere
};

struct TRawCounts {
    // The header as pdfid shows it (at most ten characters from "%PDF");
    // none when the first 1024 bytes hold no "%PDF".
    std::optional<std::string> Header;
    std::array<TKeywordCount, TriageKeywords.size()> Keywords{};
    // Plain integers above 2^24 after a /Colors name (an old exploit's
    // /DecodeParms entry): every such word until the next name counts, as
    // pdfid counts them, but not one that the data ends on or a broken
    // escape cuts short.
    int64_t ColorsAbove2To24 = 0;
    int64_t EofMarkers = 0;
    // Bytes after the last "%%EOF" and its end of line; none without one.
    std::optional<int64_t> AfterLastEof;
};

// Where the counting starts: past the header line, which pdfid takes out of
// the first 1024 bytes before it counts.
struct THeaderLine {
    std::optional<std::string> Header;
    size_t CountFrom = 0;
};
inline constexpr size_t HeaderSearchBytes = 1024;
// Start holds the file's first bytes (HeaderSearchBytes, or all of a
// shorter file).
THeaderLine FindHeaderLine(std::span<const uint8_t> Start);

// Counts "%%EOF" markers the way pdfid's -e does: a marker counts when a
// line end, space or tab follows it (or the data ends), and the bytes after
// the last one are counted from past that character (and the LF of a CR LF).
class TEofMarkerCounter {
public:
    void Add(uint8_t C);
    // Count more bytes that end no marker and start none (a run of zero
    // bytes after one was added).
    void Pass(int64_t Count) {
        if (FMarkers > 0) FAfterLast += Count;
    }
    void Finish();
    int64_t Markers() const { return FMarkers; }
    int64_t AfterLast() const { return FAfterLast; }

private:
    // How much of "%%EOF" has been seen (0 to 5); 6 after "%%EOF" and a CR,
    // 7 after "%%EOF" and a space or tab.
    int FMatched = 0;
    int64_t FMarkers = 0;
    int64_t FAfterLast = 0;
};

// Counts the keywords over the bytes given piece by piece: a keyword or a
// "#xx" escape split between two pieces counts as one in a piece. Memory
// stays the same whatever the input (a word longer than every keyword is
// only measured, not kept).
class TRawKeywordCounter {
public:
    // Longer words are measured only: no keyword is that long.
    static constexpr size_t LongestWord = 16;

    void Add(std::span<const uint8_t> Bytes);
    // The counts once the data has ended; call once.
    TRawCounts Finish();

private:
    void Step(uint8_t C);
    void EndWord();
    void Append(uint8_t C);
    // The word that a delimiter ends, before EndWord forgets it.
    void CheckColors();

    std::array<char, LongestWord> FWord{};
    size_t FWordLength = 0;
    bool FEscapedWord = false;
    bool FAfterSlash = false;
    // The word as a number: all ASCII digits so far, its digits after the
    // leading zeros, and its value while that is at most 8 digits.
    bool FAllDigits = true;
    int FSignificantDigits = 0;
    uint32_t FNumber = 0;
    bool FLastNameColors = false;  // the last name that ended was /Colors
    // A "#" after a slash waits for two hexadecimal digits: the number of
    // bytes of the escape seen (0 when none waits, 1 after the "#", 2 with
    // the first digit in FEscapeDigit).
    int FEscapeSeen = 0;
    uint8_t FEscapeDigit = 0;
    TEofMarkerCounter FEof;
    TRawCounts FCounts;
};

// The raw counts of a whole file, read in pieces; raises EFOpenError or
// EReadError when it cannot be read.
TRawCounts CountRawKeywords(const std::string& FileName);

}  // namespace lumerra
