#include "pdf/Repair.h"

#include <algorithm>
#include <climits>
#include <string>
#include <string_view>

namespace lumerra {

namespace {

bool IsWhite(uint8_t c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0'; }
bool IsDelimiter(uint8_t c) {
    return c == '(' || c == ')' || c == '<' || c == '>' || c == '[' || c == ']' || c == '{' || c == '}' || c == '/' ||
           c == '%';
}

// A literal string longer than this is taken to be damage: the pass goes on
// after it instead of letting one "(" swallow the rest of the file.
constexpr int64_t MaximumString = 1024 * 1024;

// The file's bytes front to back through one buffer, with a fast search for
// the word that ends stream data.
class TByteReader {
public:
    explicit TByteReader(TStream& S) : FStream(S), FBuffer(BufferSize) { S.SetPosition(0); }
    bool Next(uint8_t& c) {
        if (FIndex == FFill && !Refill(0)) return false;
        c = FBuffer[FIndex++];
        return true;
    }
    // Only right after Next.
    void Back() { --FIndex; }
    int32_t Position() const { return FBase + FIndex; }

    // Moves just past the next occurrence of Word; false at the end.
    bool SkipPast(std::string_view Word) {
        for (;;) {
            const std::string_view rest(reinterpret_cast<const char*>(FBuffer.data()) + FIndex,
                                        static_cast<size_t>(FFill - FIndex));
            if (const size_t hit = rest.find(Word); hit != std::string_view::npos) {
                FIndex += static_cast<int32_t>(hit + Word.size());
                return true;
            }
            // The word may start in the last bytes: they stay for the next look.
            const auto keep = static_cast<int32_t>(std::min(rest.size(), Word.size() - 1));
            FIndex = FFill - keep;
            if (!Refill(keep)) return false;
        }
    }

private:
    static constexpr int32_t BufferSize = 256 * 1024;

    // Reads on after the Keep bytes before FIndex, which move to the front.
    bool Refill(int32_t Keep) {
        std::copy(FBuffer.begin() + FIndex, FBuffer.begin() + FIndex + Keep, FBuffer.begin());
        FBase += FIndex;
        const int32_t n = FStream.Read(FBuffer.data() + Keep, BufferSize - Keep);
        FFill = Keep + std::max(n, 0);
        FIndex = 0;
        return n > 0;
    }

    TStream& FStream;
    std::vector<uint8_t> FBuffer;
    int32_t FBase = 0;   // file offset of FBuffer[0]
    int32_t FFill = 0;
    int32_t FIndex = 0;
};

struct TWord {
    enum class TKind { Number, Name, Keyword, Other } Kind = TKind::Other;
    std::string Text;
    int32_t Start = 0;

    bool Is(std::string_view Word) const { return std::string_view(Text) == Word; }
};

class TRepairPass {
public:
    explicit TRepairPass(TStream& S) : FIn(S) {}

    TRepairScan Run() {
        TWord word;
        while (ReadWord(word)) Take(word);
        if (FInTrailer) Commit(FTrailerKeys);  // a trailer cut off before startxref
        return std::move(FResult);
    }

private:
    // The next word: a number, a name, a keyword; strings, comments and
    // delimiters come as Other.
    bool ReadWord(TWord& Word) {
        uint8_t c;
        do {
            if (!FIn.Next(c)) return false;
        } while (IsWhite(c));
        Word.Start = FIn.Position() - 1;
        Word.Text.clear();
        if (c == '%') {
            while (FIn.Next(c) && c != '\n' && c != '\r') {
            }
            Word.Kind = TWord::TKind::Other;
            return true;
        }
        if (c == '(') {
            SkipString();
            Word.Kind = TWord::TKind::Other;
            return true;
        }
        if (c == '/' || !IsDelimiter(c)) {
            Word.Text += static_cast<char>(c);
            while (FIn.Next(c)) {
                if (IsWhite(c) || IsDelimiter(c)) {
                    FIn.Back();
                    break;
                }
                if (Word.Text.size() < 64) Word.Text += static_cast<char>(c);
            }
            const bool number = Word.Text.find_first_not_of("0123456789") == std::string::npos;
            Word.Kind = Word.Text[0] == '/' ? TWord::TKind::Name : number ? TWord::TKind::Number : TWord::TKind::Keyword;
            return true;
        }
        Word.Kind = TWord::TKind::Other;
        Word.Text = static_cast<char>(c);
        return true;
    }

    void SkipString() {
        int depth = 1;
        uint8_t c;
        for (int64_t length = 0; depth > 0 && length < MaximumString && FIn.Next(c); ++length) {
            if (c == '\\') {
                FIn.Next(c);
            } else if (c == '(') {
                ++depth;
            } else if (c == ')') {
                --depth;
            }
        }
    }

    // Passes over stream data up to the word "endstream".
    void SkipStreamData() { FIn.SkipPast("endstream"); }

    static int32_t Number(const std::string& Text) {
        if (Text.size() > 10) return -1;
        const long long value = std::stoll(Text);
        return value <= INT32_MAX ? static_cast<int32_t>(value) : -1;
    }

    void Take(const TWord& Word) {
        // "n g obj": the two numbers before the keyword, n the earlier.
        if (Word.Kind == TWord::TKind::Keyword && Word.Is("obj") && FLast[0].Kind == TWord::TKind::Number &&
            FLast[1].Kind == TWord::TKind::Number) {
            const int32_t number = Number(FLast[1].Text);
            if (number >= 0) {
                FResult.Objects[number] = FLast[1].Start;
                FObject = number;
                FInTrailer = false;
                FObjectKeys = {};
            }
        } else if (Word.Kind == TWord::TKind::Keyword && Word.Is("trailer")) {
            FInTrailer = true;
            FObject = -1;
            FTrailerKeys = {};
        } else if (Word.Kind == TWord::TKind::Keyword && (Word.Is("stream") || Word.Is("endobj"))) {
            if (FObject != -1 && FObjectKeys.Type == "/XRef") Commit(FObjectKeys);
            if (Word.Is("stream")) SkipStreamData();
            FObject = -1;
        } else if (Word.Kind == TWord::TKind::Keyword && Word.Is("startxref")) {
            if (FInTrailer) Commit(FTrailerKeys);
            FInTrailer = false;
        } else if (FInTrailer) {
            Note(FTrailerKeys, Word);
        } else if (FObject != -1) {
            Note(FObjectKeys, Word);
            if (FLast[0].Is("/Type") && Word.Is("/Catalog")) FResult.LastCatalog = FObject;
            if (FLast[0].Is("/Type") && Word.Is("/ObjStm")) FResult.ObjectStreams.push_back(FObject);
        }
        FLast[1] = FLast[0];
        FLast[0] = Word;
    }

    struct TKeys {
        int32_t Root = -1;
        int32_t Info = -1;
        bool Encrypt = false;
        std::string Type;
    };

    // The first number after /Root or /Info is the object it names.
    void Note(TKeys& Keys, const TWord& Word) {
        if (Word.Is("/Encrypt")) Keys.Encrypt = true;
        if (FLast[0].Is("/Type") && Word.Kind == TWord::TKind::Name) Keys.Type = Word.Text;
        if (Word.Kind != TWord::TKind::Number) return;
        if (FLast[0].Is("/Root")) Keys.Root = Number(Word.Text);
        if (FLast[0].Is("/Info")) Keys.Info = Number(Word.Text);
    }

    // A later trailer is newer: its keys replace the earlier ones.
    void Commit(const TKeys& Keys) {
        if (Keys.Root != -1) FResult.Root = Keys.Root;
        if (Keys.Info != -1) FResult.Info = Keys.Info;
        if (Keys.Encrypt) FResult.Encrypted = true;
    }

    TByteReader FIn;
    TRepairScan FResult;
    TWord FLast[2];
    int32_t FObject = -1;
    bool FInTrailer = false;
    TKeys FTrailerKeys;
    TKeys FObjectKeys;
};

}  // namespace

TRepairScan ScanForObjects(TStream& S) { return TRepairPass(S).Run(); }

}  // namespace lumerra
