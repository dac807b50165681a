#include "pdf/Repair.h"

#include <algorithm>
#include <climits>
#include <span>
#include <string_view>

#include "syntax/Tokenizer.h"

namespace lumerra {

namespace {

// The file read in chunks: large enough that a rebuild costs a handful of
// reads, small enough that a damaged file's one "(" cannot take more.
constexpr int32_t DefaultChunkSize = 1024 * 1024;
// The chunk must hold the word that ends stream data, and then some.
constexpr int32_t SmallestChunkSize = 16;

// The file front to back as a window of at most one chunk that only moves
// forward; the bytes it already holds are kept, not read again.
class TFileWindow {
public:
    TFileWindow(TStream& S, int32_t ChunkSize)
        : FStream(S), FBuffer(static_cast<size_t>(std::max(ChunkSize, SmallestChunkSize))) {
        S.SetPosition(0);
    }

    // Starts the window at file offset At (within the window or at its end)
    // and fills it up; false when the file has nothing from there.
    bool Refill(int64_t At) {
        At = std::clamp(At, FStart, End());
        std::copy(FBuffer.begin() + (At - FStart), FBuffer.begin() + FFill, FBuffer.begin());
        FFill = static_cast<int32_t>(End() - At);
        FStart = At;
        const auto size = static_cast<int32_t>(FBuffer.size());
        while (!FStreamEnded && FFill < size) {
            const int32_t n = FStream.Read(FBuffer.data() + FFill, size - FFill);
            if (n > 0) FFill += n;
            else FStreamEnded = true;
        }
        return FFill > 0;
    }

    // The window's bytes from file offset At on.
    std::span<const uint8_t> BytesFrom(int64_t At) const {
        const std::span<const uint8_t> window(FBuffer.data(), static_cast<size_t>(FFill));
        return window.subspan(static_cast<size_t>(At - FStart));
    }
    int64_t Start() const { return FStart; }
    int64_t End() const { return FStart + FFill; }
    // Whether bytes may follow the window (a full window at the very end of
    // the file learns that it is the last one on the next move).
    bool FileGoesOn() const { return !FStreamEnded; }

    // The file offset just past the next Word from At on, or -1: a plain
    // search, which is what makes passing over stream data fast.
    int64_t FindPast(int64_t At, std::string_view Word) {
        for (;;) {
            const auto from = static_cast<size_t>(At - FStart);
            const std::string_view rest(reinterpret_cast<const char*>(FBuffer.data()) + from,
                                        static_cast<size_t>(FFill) - from);
            if (const size_t hit = rest.find(Word); hit != std::string_view::npos)
                return At + static_cast<int64_t>(hit + Word.size());
            if (!FileGoesOn()) return -1;
            // The word may start in the last bytes: they stay for the next look.
            At = End() - static_cast<int64_t>(std::min(rest.size(), Word.size() - 1));
            Refill(At);
        }
    }

private:
    TStream& FStream;
    std::vector<uint8_t> FBuffer;
    int64_t FStart = 0;  // file offset of FBuffer[0]
    int32_t FFill = 0;
    bool FStreamEnded = false;
};

// The value of an integer token that can be an object number, or -1.
int32_t ObjectNumber(const TSyntaxToken& Token) {
    const bool fits = Token.Type == TTokenType::Integer && Token.Integer >= 0 && Token.Integer <= INT32_MAX;
    return fits ? static_cast<int32_t>(Token.Integer) : -1;
}

bool IsName(const TSyntaxToken& Token, std::string_view Name) {
    return Token.Type == TTokenType::Name && Token.Text == Name;
}

class TRepairPass {
public:
    TRepairPass(TStream& S, int32_t ChunkSize) : FWindow(S, ChunkSize) {}

    TRepairScan Run() {
        for (TResume at; at.Offset >= 0 && (!at.Refill || FWindow.Refill(at.Offset));) at = ScanFrom(at.Offset);
        if (FInTrailer) Commit(FTrailerKeys);  // a trailer cut off before startxref
        return std::move(FResult);
    }

private:
    // Where to read on: a file offset (-1 at the end of the file), and
    // whether the window must first be refilled from there.
    struct TResume {
        int64_t Offset = 0;
        bool Refill = true;
    };

    // Takes the tokens from file offset At to the end of the window, or up to
    // stream data.
    TResume ScanFrom(int64_t At) {
        TTokenizer tokens(FWindow.BytesFrom(At), At);
        int64_t resume = At;  // just past the last token taken
        for (tokens.Next(FToken); FToken.Type != TTokenType::End; tokens.Next(FToken)) {
            // A token that reaches the window's end may go on in the file: it
            // is read again from a window that starts with it. One that
            // already starts the window is larger than a chunk: damage, taken
            // as it stands.
            const int64_t offset = FToken.Offset;
            if (tokens.AtEnd() && FWindow.FileGoesOn() && offset > FWindow.Start()) return {offset, true};
            Take(FToken);
            resume = At + static_cast<int64_t>(tokens.Position());
            if (FToken.IsKeyword("stream")) return {FWindow.FindPast(resume, "endstream"), false};
        }
        if (!FWindow.FileGoesOn()) return {-1, false};
        // White space or a comment may go on past the window: it is read
        // again from the last token, unless it fills the window.
        return {resume > FWindow.Start() ? resume : FWindow.End(), true};
    }

    void Take(const TSyntaxToken& Token) {
        if (Token.Type == TTokenType::Keyword) {
            TakeKeyword(Token);
        } else if (FInTrailer) {
            Note(FTrailerKeys, Token);
        } else if (FObject != -1) {
            Note(FObjectKeys, Token);
            if (FSeen[0].Key == TKey::Type && IsName(Token, "Catalog")) FResult.LastCatalog = FObject;
            if (FSeen[0].Key == TKey::Type && IsName(Token, "ObjStm")) FResult.ObjectStreams.push_back(FObject);
        }
        FSeen[1] = FSeen[0];
        FSeen[0] = Seen(Token);
    }

    void TakeKeyword(const TSyntaxToken& Token) {
        // "n g obj": the two integers just before the keyword, n the earlier.
        // Any other token between them (a delimiter, "<<") means no header.
        if (Token.Text == "obj" && FSeen[0].Number >= 0 && FSeen[1].Number >= 0) {
            FResult.Objects[FSeen[1].Number] = FSeen[1].Offset;
            FObject = FSeen[1].Number;
            FInTrailer = false;
            FObjectKeys = {};
            FObjectKeys.At = FSeen[1].Offset;
        } else if (Token.Text == "trailer") {
            FInTrailer = true;
            FObject = -1;
            FTrailerKeys = {};
            FTrailerKeys.At = Token.Offset + 7;  // the dictionary follows the keyword
        } else if (Token.Text == "stream" || Token.Text == "endobj") {
            if (FObject != -1 && FObjectKeys.XRef) Commit(FObjectKeys);
            FObject = -1;
        } else if (Token.Text == "startxref") {
            if (FInTrailer) Commit(FTrailerKeys);
            FInTrailer = false;
        }
    }

    // The names whose value the pass looks at.
    enum class TKey : uint8_t { None, Type, Root, Info };

    // What is kept of a token once the next one is read.
    struct TSeen {
        int32_t Number = -1;  // an integer that can be an object number, else -1
        int64_t Offset = 0;
        TKey Key = TKey::None;
    };

    static TSeen Seen(const TSyntaxToken& Token) {
        TKey key = TKey::None;
        if (IsName(Token, "Type")) key = TKey::Type;
        else if (IsName(Token, "Root")) key = TKey::Root;
        else if (IsName(Token, "Info")) key = TKey::Info;
        return {ObjectNumber(Token), Token.Offset, key};
    }

    struct TKeys {
        int32_t Root = -1;
        int32_t Info = -1;
        bool Encrypt = false;
        bool XRef = false;  // the last /Type says /XRef
        int64_t At = -1;    // where the trailer's dictionary, or the stream's header, is
    };

    // The first integer after /Root or /Info is the object it names.
    void Note(TKeys& Keys, const TSyntaxToken& Token) {
        if (Token.Type == TTokenType::Name) {
            if (Token.Text == "Encrypt") Keys.Encrypt = true;
            if (FSeen[0].Key == TKey::Type) Keys.XRef = Token.Text == "XRef";
        } else if (Token.Type == TTokenType::Integer) {
            if (FSeen[0].Key == TKey::Root) Keys.Root = ObjectNumber(Token);
            if (FSeen[0].Key == TKey::Info) Keys.Info = ObjectNumber(Token);
        }
    }

    // A later trailer is newer: its keys replace the earlier ones.
    void Commit(const TKeys& Keys) {
        if (Keys.Root != -1) FResult.Root = Keys.Root;
        if (Keys.Info != -1) FResult.Info = Keys.Info;
        if (Keys.Encrypt) {
            FResult.Encrypted = true;
            FResult.EncryptTrailer = Keys.At;
        }
    }

    TFileWindow FWindow;
    TRepairScan FResult;
    TSyntaxToken FToken;
    TSeen FSeen[2];  // the last token taken, then the one before it
    int32_t FObject = -1;
    bool FInTrailer = false;
    TKeys FTrailerKeys;
    TKeys FObjectKeys;
};

}  // namespace

TRepairScan ScanForObjects(TStream& S, int32_t ChunkSize) { return TRepairPass(S, ChunkSize).Run(); }

TRepairScan ScanForObjects(TStream& S) { return ScanForObjects(S, DefaultChunkSize); }

}  // namespace lumerra
