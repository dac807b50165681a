#include "triage/RawKeywords.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <vector>

#include "common/Stream.h"
#include "syntax/CharClass.h"
#include "syntax/EofMarker.h"

namespace lumerra {

namespace {

constexpr std::array<bool, 256> WordBytes() {
    std::array<bool, 256> word{};
    for (int c = 0; c < 256; ++c) word[c] = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    return word;
}
constexpr std::array<bool, 256> WordByteTable = WordBytes();
bool IsWordByte(uint8_t C) { return WordByteTable[C]; }

// Per kind (word, name) and length, the keywords a word may be: most words
// end without a single comparison.
constexpr size_t LongestWord = TRawKeywordCounter::LongestWord;
constexpr std::array<std::array<uint32_t, LongestWord>, 2> KeywordsByLength() {
    std::array<std::array<uint32_t, LongestWord>, 2> masks{};
    for (size_t i = 0; i < TriageKeywords.size(); ++i) {
        const bool name = IsNameKeyword(i);
        masks[name][TriageKeywords[i].size() - (name ? 1 : 0)] |= 1u << i;
    }
    return masks;
}
constexpr auto KeywordCandidates = KeywordsByLength();

// Latin-1 characters that a Python string shows as they are.
bool ShownAsIs(uint8_t C) { return (C >= 0x20 && C < 0x7F) || (C >= 0xA1 && C != 0xAD); }

// The header the way pdfid prints it: Python's repr of the characters,
// with the quotes around it taken off. Characters above 0x7F come out as
// UTF-8.
std::string HeaderText(std::span<const uint8_t> Bytes) {
    const bool hasSingle = std::find(Bytes.begin(), Bytes.end(), '\'') != Bytes.end();
    const bool hasDouble = std::find(Bytes.begin(), Bytes.end(), '"') != Bytes.end();
    const char quote = hasSingle && !hasDouble ? '"' : '\'';
    std::string text(1, quote);
    for (const uint8_t c : Bytes) {
        if (c == quote || c == '\\') {
            text += '\\';
            text += static_cast<char>(c);
        } else if (c == '\t') {
            text += "\\t";
        } else if (c == '\n') {
            text += "\\n";
        } else if (c == '\r') {
            text += "\\r";
        } else if (!ShownAsIs(c)) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02x", c);
            text += escape;
        } else if (c < 0x80) {
            text += static_cast<char>(c);
        } else {
            text += static_cast<char>(0xC0 | (c >> 6));
            text += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    text += quote;
    const size_t first = text.find_first_not_of('\'');
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of('\'') - first + 1);
}

}  // namespace

THeaderLine FindHeaderLine(std::span<const uint8_t> Start) {
    Start = Start.first(std::min(Start.size(), HeaderSearchBytes));
    static constexpr std::string_view marker = "%PDF";
    const auto found = std::search(Start.begin(), Start.end(), marker.begin(), marker.end());
    if (found == Start.end()) return {};
    const size_t at = static_cast<size_t>(found - Start.begin());
    // The line ends at the first CR or LF among the ten bytes after "%PDF",
    // and is taken as ending there when none is (pdfid's own rule).
    size_t end = at + 4;
    for (; end < at + 13 && end < Start.size(); ++end)
        if (Start[end] == '\n' || Start[end] == '\r') break;
    end = std::min(end, Start.size());
    return {HeaderText(Start.subspan(at, std::min<size_t>(end - at, 10))), end};
}

void TEofMarkerCounter::Add(uint8_t C) {
    if (FMarkers > 0) ++FAfterLast;
    if (FMatched < 5 && C == EofMarker[static_cast<size_t>(FMatched)]) {
        ++FMatched;
        return;
    }
    if (FMatched == 5 && EndsEofMarker(C)) {
        ++FMarkers;
        FAfterLast = 0;
        FMatched = C == '\n' ? 0 : C == '\r' ? 6 : 7;
        return;
    }
    // The byte after "%%EOF" CR is no start of another marker, even a "%".
    if (FMatched == 6 && C == '\n') FAfterLast = 0;
    FMatched = 0;
}

void TEofMarkerCounter::Finish() {
    if (FMatched == 5) {
        ++FMarkers;
        FAfterLast = 0;
    }
    FMatched = 0;
}

void TRawKeywordCounter::Append(uint8_t C) {
    if (FWordLength < LongestWord) FWord[FWordLength] = static_cast<char>(C);
    ++FWordLength;
    if (C < '0' || C > '9') {
        FAllDigits = false;
    } else if (FSignificantDigits > 0 || C != '0') {
        // Nine digits already exceed 2^24: the value need not grow further.
        if (++FSignificantDigits <= 8) FNumber = FNumber * 10 + static_cast<uint32_t>(C - '0');
    }
}

void TRawKeywordCounter::CheckColors() {
    constexpr uint32_t Limit = 1u << 24;
    if (FLastNameColors && FWordLength > 0 && FAllDigits && (FSignificantDigits > 8 || FNumber > Limit))
        ++FCounts.ColorsAbove2To24;
}

void TRawKeywordCounter::EndWord() {
    if (FWordLength > 0 && FWordLength < LongestWord) {
        const std::string_view word(FWord.data(), FWordLength);
        for (uint32_t candidates = KeywordCandidates[FAfterSlash][FWordLength]; candidates != 0;
             candidates &= candidates - 1) {
            const size_t i = static_cast<size_t>(std::countr_zero(candidates));
            if (TriageKeywords[i].substr(FAfterSlash ? 1 : 0) != word) continue;
            ++FCounts.Keywords[i].Raw;
            if (FEscapedWord) ++FCounts.Keywords[i].Escaped;
            break;
        }
    }
    if (FAfterSlash && FWordLength > 0)
        FLastNameColors = FWordLength < LongestWord && std::string_view(FWord.data(), FWordLength) == "Colors";
    FWordLength = 0;
    FEscapedWord = false;
    FAllDigits = true;
    FSignificantDigits = 0;
    FNumber = 0;
}

void TRawKeywordCounter::Step(uint8_t C) {
    if (FEscapeSeen == 1) {
        FEscapeDigit = C;
        FEscapeSeen = 2;
        return;
    }
    if (FEscapeSeen == 2) {
        FEscapeSeen = 0;
        const uint8_t first = FEscapeDigit;
        FEof.Add('#');
        if (HexDigitValue(first) >= 0 && HexDigitValue(C) >= 0) {
            Append(static_cast<uint8_t>(HexDigitValue(first) * 16 + HexDigitValue(C)));
            FEscapedWord = true;
            FEof.Add(first);
            FEof.Add(C);
            return;
        }
        // Not an escape: the word ends, the slash still stands, and both
        // bytes are read again as they are.
        EndWord();
        Step(first);
        Step(C);
        return;
    }
    if (IsWordByte(C)) {
        Append(C);
    } else if (FAfterSlash && C == '#') {
        FEscapeSeen = 1;
        return;  // told to the marker counter once the escape is decided
    } else {
        CheckColors();
        EndWord();
        FAfterSlash = C == '/';
    }
    FEof.Add(C);
}

void TRawKeywordCounter::Add(std::span<const uint8_t> Bytes) {
    const size_t size = Bytes.size();
    for (size_t i = 0; i < size;) {
        const uint8_t c = Bytes[i++];
        Step(c);
        // Once a zero byte ended what came before, the zero bytes after it
        // change nothing but the count after the last marker: a file's
        // hole (a sparse file of 2 GiB) is passed over eight bytes a step.
        if (c != 0 || FEscapeSeen != 0) continue;
        size_t run = i;
        for (uint64_t word; run + 8 <= size; run += 8) {
            std::memcpy(&word, Bytes.data() + run, 8);
            if (word != 0) break;
        }
        while (run < size && Bytes[run] == 0) ++run;
        FEof.Pass(static_cast<int64_t>(run - i));
        i = run;
    }
}

TRawCounts TRawKeywordCounter::Finish() {
    // An escape cut short by the end: the word ends there, and a digit
    // already read is read again as it is.
    if (FEscapeSeen > 0) {
        const bool withDigit = FEscapeSeen == 2;
        FEscapeSeen = 0;
        EndWord();
        FEof.Add('#');
        if (withDigit) Step(FEscapeDigit);
        if (FEscapeSeen == 1) {
            FEscapeSeen = 0;
            EndWord();
            FEof.Add('#');
        }
    }
    EndWord();
    FEof.Finish();
    FCounts.EofMarkers = FEof.Markers();
    if (FEof.Markers() > 0) FCounts.AfterLastEof = FEof.AfterLast();
    return FCounts;
}

TRawCounts CountRawKeywords(const std::string& FileName) {
    // Counted in 64 bits: files of 2 GiB and more are counted too.
    TFileStream file(FileName, TFileStream::TMode::OpenReadLarge);
    std::vector<uint8_t> piece(64 * 1024);
    int32_t read = file.Read(piece.data(), static_cast<int32_t>(piece.size()));
    const THeaderLine header = FindHeaderLine({piece.data(), static_cast<size_t>(read)});
    TRawKeywordCounter counter;
    counter.Add(std::span<const uint8_t>(piece.data(), static_cast<size_t>(read)).subspan(header.CountFrom));
    while ((read = file.Read(piece.data(), static_cast<int32_t>(piece.size()))) > 0)
        counter.Add({piece.data(), static_cast<size_t>(read)});
    TRawCounts counts = counter.Finish();
    counts.Header = header.Header;
    return counts;
}

}  // namespace lumerra
