#include "pdf/StreamData.h"

#include <algorithm>
#include <array>
#include <exception>
#include <functional>
#include <memory>
#include <new>
#include <span>
#include <string>

#include "filters/FilterChain.h"
#include "pdf/PDFLexer.h"
#include "syntax/Tokenizer.h"

namespace lumerra {

namespace {

constexpr uint8_t LF = 10;
constexpr uint8_t CR = 13;
constexpr int32_t CopyPiece = 64 * 1024;

uint8_t ReadByteExact(TStream& S) {
    uint8_t c;
    S.ReadBuffer(&c, 1);
    return c;
}

// Copies up to Length bytes, as many as Source still has.
void CopyAvailable(TStream& Source, TStream& Output, int32_t Length) {
    const auto piece = std::make_unique_for_overwrite<uint8_t[]>(CopyPiece);
    while (Length > 0) {
        const int32_t n = Source.Read(piece.get(), std::min(Length, CopyPiece));
        if (n <= 0) return;
        Output.WriteBuffer(piece.get(), n);
        Length -= n;
    }
}

// Reads exactly Length bytes into Raw, growing it only as bytes arrive, so a
// false huge /Length costs no more memory than the file really holds.
// EReadError when Source ends first.
void ReadRaw(TStream& Source, TMemoryStream& Raw, int32_t Length) {
    int32_t done = 0;
    while (done < Length) {
        const int32_t step = std::min(Length - done, std::max(CopyPiece, done));
        Raw.SetSize(done + step);
        const int32_t n = Source.Read(Raw.Memory() + done, step);
        done += std::max(n, 0);
        if (n < step) {
            Raw.SetSize(done);
            throw EReadError();
        }
    }
    Raw.SetPosition(0);
}

// Drops an end of line that the length counted in front of "endstream",
// unless the byte after the data is itself a line end.
void TrimFlateLineEnd(TStream& Source, TMemoryStream& Raw) {
    const int64_t after = Source.Position();
    const uint8_t next = ReadByteExact(Source);
    Source.SetPosition(after);
    if (next == LF || next == CR) return;
    const uint8_t* data = Raw.Memory();
    int32_t size = Raw.Size();
    if (size > 0 && data[size - 1] == CR) {
        --size;
    } else if (size > 0 && data[size - 1] == LF) {
        --size;
        if (size > 0 && data[size - 1] == CR) --size;
    }
    Raw.SetSize(size);
}

// Passes writes on to the real output and remembers whether the output
// itself failed: that failure (a full disk) must not be taken for a
// decoding error and swallowed.
class TOutputGuard final : public TStream {
public:
    explicit TOutputGuard(TStream& Output) : FOutput(Output) {}

    int32_t Read(void* buffer, int32_t count) override { return FOutput.Read(buffer, count); }
    int32_t Write(const void* buffer, int32_t count) override {
        try {
            return FOutput.Write(buffer, count);
        } catch (...) {
            FFailed = true;
            throw;
        }
    }
    int64_t Seek(int64_t offset, TSeekOrigin origin) override { return FOutput.Seek(offset, origin); }
    bool Failed() const { return FFailed; }

private:
    TStream& FOutput;
    bool FFailed = false;
};

// Runs Apply over a guard of Output. A decoding error is passed over: the
// stream contributes what it gave so far, and Damage says so. Errors of the
// output itself and running out of memory are no fault of the data.
void DecodeGuarded(TStream& Output, TStreamDamage* Damage, const std::function<void(TStream&)>& Apply) {
    const int32_t start = Output.Position();
    TOutputGuard output(Output);
    try {
        Apply(output);
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& e) {
        if (output.Failed()) throw;
        if (Damage != nullptr) *Damage = {true, MessageOf(e), static_cast<int32_t>(Output.Position() - start)};
    }
}

// Whether the keyword "endstream" is the next token at S's position, as the
// one tokenizer reads it: after any white space and comments. S is left just
// after the keyword when it is, else where it was.
bool EndKeywordFollows(TStream& S) {
    static constexpr std::string_view End = "endstream";
    const int64_t at = S.Position();
    std::array<uint8_t, 4096> after{};
    const int32_t n = S.Read(after.data(), static_cast<int32_t>(after.size()));
    TTokenizer tokens(std::span<const uint8_t>(after.data(), static_cast<size_t>(std::max(n, 0))), at);
    const TSyntaxToken token = tokens.Next();
    const bool found = token.IsKeyword(End) && !token.Truncated;
    S.SetPosition(found ? token.Offset + static_cast<int64_t>(End.size()) : at);
    return found;
}

// Extended reading's check of the end of the data: decoded all the same when
// "endstream" does not follow, and told.
void CheckEndKeyword(TStream& Source, TStreamDamage* Damage) {
    const int64_t at = Source.Position();
    if (EndKeywordFollows(Source) || Damage == nullptr) return;
    *Damage = {true, MakeMessage(TMessageCode::NoEndstream, at), 0, TStreamFault::NoEndKeyword, at};
}

// The data in front of the end, through the default chain, as the default
// reading decodes it; EndChecked tells whether the end may be read.
void ReadDefaultChain(TStream& Source, TStream& Output, int32_t Length, const TStringList& Filters,
                      TStreamDamage* Damage, const std::function<bool(TStream&)>& EndChecked,
                      TFastInflater* Fast = nullptr) {
    if (Length <= 0) return;
    SkipStreamLineEnd(Source);
    if (Filters.empty()) {
        CopyAvailable(Source, Output, Length);
        return;
    }
    if (!FiltersSupported(Filters)) return;
    TMemoryStream raw;
    ReadRaw(Source, raw, Length);
    if (Filters.front() == FlateDecodeName) TrimFlateLineEnd(Source, raw);
    if (!EndChecked(Source)) return;
    DecodeGuarded(Output, Damage, [&](TStream& Out) { ApplyFilters(raw, Filters, Out, Fast); });
}

}  // namespace

void SkipStreamLineEnd(TStream& S) {
    if (ReadByteExact(S) != CR) return;
    if (ReadByteExact(S) != LF) S.Seek(-1, TSeekOrigin::soCurrent);
}

void ReadStreamData(TStream& Source, TStream& Output, int32_t Length, const TStringList& Filters,
                    TStreamDamage* Damage, TFastInflater* Fast) {
    ReadDefaultChain(
        Source, Output, Length, Filters, Damage,
        [](TStream& S) {
            std::string token;
            return ReadToken(S, token) == "endstream";
        },
        Fast);
}

void ReadStreamDataBounded(TStream& Source, TStream& Output, int32_t Length, const TStringList& Filters,
                           TStreamDamage* Damage) {
    if (Filters.empty() && Length > 0) {
        SkipStreamLineEnd(Source);
        CopyAvailable(Source, Output, Length);
        CheckEndKeyword(Source, Damage);
        return;
    }
    ReadDefaultChain(Source, Output, Length, Filters, Damage, [Damage](TStream& S) {
        CheckEndKeyword(S, Damage);
        return true;
    });
}

bool ReadStreamDataExtended(TStream& Source, TStream& Output, int32_t Length, const std::vector<TFilterStep>& Steps,
                            int32_t MaxOutput, const TStreamDecryptor& Decrypt, TStreamDamage* Damage) {
    if (Length <= 0) return true;
    SkipStreamLineEnd(Source);
    if (!ExtendedFiltersDecodable(Steps)) return false;
    TMemoryStream raw;
    ReadRaw(Source, raw, Length);
    if (Decrypt)
        Decrypt(raw);
    else if (!Steps.empty() && Steps.front().Name == FlateDecodeName)
        TrimFlateLineEnd(Source, raw);
    CheckEndKeyword(Source, Damage);
    const int32_t start = Output.Position();
    const std::span<const uint8_t> data(raw.Memory(), static_cast<size_t>(raw.Size()));
    std::vector<TFilterDiagnostic> damaged = ApplyExtendedFilters(data, Steps, Output, MaxOutput);
    // Every decoder's damage is told as Flate's is.
    if (!damaged.empty() && Damage != nullptr && !Damage->Damaged) {
        *Damage = {true, TMessage(damaged.front().Code), static_cast<int32_t>(Output.Position() - start)};
        Damage->Filters = std::move(damaged);
    }
    return true;
}

bool ReadStreamDataDecrypted(TStream& Source, TStream& Output, int32_t Length, const TStringList& Filters,
                             const std::vector<TFilterStep>& Steps, const TStreamDecryptor& Decrypt,
                             TStreamDamage* Damage) {
    if (!FiltersSupported(Filters) || Filters.empty())
        return ReadStreamDataExtended(Source, Output, Length, Steps, MaxStreamOutput, Decrypt, Damage);
    if (Length <= 0) return true;
    SkipStreamLineEnd(Source);
    TMemoryStream raw;
    ReadRaw(Source, raw, Length);
    if (Decrypt) Decrypt(raw);
    CheckEndKeyword(Source, Damage);
    DecodeGuarded(Output, Damage, [&](TStream& Out) { ApplyFilters(raw, Filters, Out); });
    return true;
}

int32_t CheckedStreamLength(TStream& S, int32_t Length) {
    static const std::string End = "endstream";
    const int64_t keyword = S.Position();
    int32_t result = Length;
    try {
        SkipStreamLineEnd(S);
        const int64_t data = S.Position();
        // Does the declared length end just before "endstream"?
        if (Length >= 0 && data + Length <= S.Size()) {
            S.SetPosition(data + Length);
            if (EndKeywordFollows(S)) {
                S.SetPosition(keyword);
                return Length;
            }
        }
        // The first "endstream" after the data's start.
        S.SetPosition(data);
        size_t matched = 0;
        int64_t found = -1;
        for (uint8_t c; found < 0 && S.ReadByte(c);) {
            matched = c == static_cast<uint8_t>(End[matched]) ? matched + 1 : c == 'e' ? 1 : 0;
            if (matched == End.size()) found = S.Position() - static_cast<int64_t>(End.size());
        }
        if (found >= 0) {
            int64_t end = found;
            S.SetPosition(data);
            auto byteAt = [&S](int64_t At) {
                S.SetPosition(At);
                return ReadByteExact(S);
            };
            if (end > data && byteAt(end - 1) == LF) --end;
            if (end > data && byteAt(end - 1) == CR) --end;
            result = static_cast<int32_t>(std::min<int64_t>(end - data, INT32_MAX));
        }
    } catch (const EReadError&) {
        result = Length;
    }
    S.SetPosition(keyword);
    return result;
}

}  // namespace lumerra
