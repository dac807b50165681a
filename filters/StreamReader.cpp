#include "filters/StreamReader.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <string>

#include "filters/AsciiDecode.h"
#include "filters/Flate.h"
#include "pdf/PDFLexer.h"

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

// The end of line after "stream": CR LF, CR or any single byte (normally LF).
void SkipStreamLineEnd(TStream& Source) {
    if (ReadByteExact(Source) != CR) return;
    if (ReadByteExact(Source) != LF) Source.Seek(-1, TSeekOrigin::soCurrent);
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

// Drops an end of line that Length counted in front of "endstream", unless
// the byte after the data is itself a line end. Returns the new length.
int32_t TrimFlateLineEnd(TStream& Source, TMemoryStream& Raw, int32_t Length) {
    const int32_t after = Source.Position();
    const uint8_t next = ReadByteExact(Source);
    Source.SetPosition(after);
    if (next == LF || next == CR) return Length;
    const uint8_t* data = Raw.Memory();
    int32_t size = Raw.Size();
    if (size > 0 && data[size - 1] == CR) {
        --size;
    } else if (size > 0 && data[size - 1] == LF) {
        --size;
        if (size > 0 && data[size - 1] == CR) --size;
    }
    const int32_t dropped = Raw.Size() - size;
    Raw.SetSize(size);
    return Length - dropped;
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
    int32_t Seek(int32_t offset, TSeekOrigin origin) override { return FOutput.Seek(offset, origin); }
    bool Failed() const { return FFailed; }

private:
    TStream& FOutput;
    bool FFailed = false;
};

bool IsFilterName(const std::string& Name) {
    return Name == ASCIIHexDecodeName || Name == ASCII85DecodeName || Name == FlateDecodeName;
}

}  // namespace

bool FiltersSupported(const TStringList& Filters) { return std::all_of(Filters.begin(), Filters.end(), IsFilterName); }

void ApplyFilters(TMemoryStream& Raw, int32_t Length, const TStringList& Filters, TStream& Output) {
    const int32_t length = std::clamp(Length, 0, Raw.Size());
    const uint8_t* data = Raw.Memory();
    if (Filters.size() == 1) {
        const std::string& filter = Filters[0];
        if (filter == ASCIIHexDecodeName) {
            const std::string decoded = DecodeASCIIHex(data, length);
            Output.WriteBuffer(decoded.data(), static_cast<int32_t>(decoded.size()));
        } else if (filter == ASCII85DecodeName) {
            DecodeASCII85(data, length, Output);
        } else if (filter == FlateDecodeName) {
            Raw.SetPosition(0);
            DecodeFlate(Raw, Output);
        }
        return;
    }
    if (Filters.size() != 2 || Filters[1] != FlateDecodeName) return;
    TMemoryStream intermediate;
    if (Filters[0] == ASCIIHexDecodeName)
        DecodeASCIIHexToMemory(data, length, intermediate);
    else if (Filters[0] == ASCII85DecodeName)
        DecodeASCII85ToMemory(data, length, intermediate);
    else
        return;
    DecodeFlate(intermediate, Output);
}

void ReadStreamData(TStream& Source, TStream& Output, int32_t Length, const TStringList& Filters) {
    if (Length <= 0) return;
    SkipStreamLineEnd(Source);
    if (Filters.empty()) {
        CopyAvailable(Source, Output, Length);
        return;
    }
    if (!FiltersSupported(Filters)) return;
    TMemoryStream raw;
    ReadRaw(Source, raw, Length);
    if (Filters.front() == FlateDecodeName) Length = TrimFlateLineEnd(Source, raw, Length);
    std::string token;
    if (ReadToken(Source, token) != "endstream") return;
    TOutputGuard output(Output);
    try {
        ApplyFilters(raw, Length, Filters, output);
    } catch (const std::exception&) {
        // A stream that cannot be decoded contributes what it gave so far.
        if (output.Failed()) throw;
    }
}

}  // namespace lumerra
