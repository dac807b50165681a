// Reading the data of one stream object out of the PDF file: the end of line
// after the keyword "stream", the declared length and the "endstream" check.
// The filter chain then decodes the bytes.
#pragma once

#include <cstdint>

#include <functional>
#include <vector>

#include "common/StrUtils.h"
#include "common/Stream.h"
#include "filters/ExtendedChain.h"

namespace lumerra {

class TFastInflater;

// Passes over the end of line after the keyword "stream": CR LF, a lone CR
// (the byte after it is data), or any other single byte, normally LF.
// EReadError at the end of S.
void SkipStreamLineEnd(TStream& S);

// Source stands just after the keyword "stream"; the decoded bytes are
// appended to Output. Decoding errors are swallowed: the bytes that reached
// Output before one stay. Read errors at the end of Source propagate, and so
// do errors raised by Output itself and std::bad_alloc. Where Source is left:
//   Length <= 0             unchanged (the line end is not consumed)
//   an unsupported filter   at the first byte of the data
//   no filter               just after the copied data
//   supported filters       just after the token that follows the data
// A decoding error that a reader below passed over: its message and how many
// bytes the stream gave before it. Told to the user beside the report.
enum class TStreamFault : uint8_t {
    Decoding,      // a decoder stopped on its data
    NoEndKeyword,  // "endstream" does not follow the data (decoded all the same)
};
struct TStreamDamage {
    bool Damaged = false;
    TMessage What;
    int32_t BytesBefore = 0;
    TStreamFault Fault = TStreamFault::Decoding;
    int64_t Offset = -1;  // where in the file, when known
    // Extended reading's chain: every filter's damage, the first of them
    // told in What.
    std::vector<TFilterDiagnostic> Filters{};
};

// Fast is the reading thread's inflater, kept from stream to stream (see
// DecodeFlate); without one, each stream makes its own.
void ReadStreamData(TStream& Source, TStream& Output, int32_t Length, const TStringList& Filters,
                    TStreamDamage* Damage = nullptr, TFastInflater* Fast = nullptr);

// Extended reading's reading of the same: "endstream" found after any white
// space or comment. Its absence is told in Damage; the data is decoded all
// the same.
void ReadStreamDataBounded(TStream& Source, TStream& Output, int32_t Length, const TStringList& Filters,
                           TStreamDamage* Damage = nullptr);

// Extended reading's length of a stream whose /Length may be wrong: S stands
// just after the keyword "stream" and is put back. Length itself when the
// data it covers is followed by "endstream" (after white space); otherwise
// the data ends at the "endstream" that follows, less the line end before
// it; Length again when none follows.
int32_t CheckedStreamLength(TStream& S, int32_t Length);

// The same for extended reading, with the extended chain and its decode
// parameters, appending at most MaxOutput bytes. Returns false when the
// steps cannot be decoded; Source is then at the first byte of the data.
// Decrypt, when given, turns the raw data into plain data before the steps;
// the length is then exact and no line end is trimmed.
using TStreamDecryptor = std::function<void(TMemoryStream& Raw)>;
bool ReadStreamDataExtended(TStream& Source, TStream& Output, int32_t Length, const std::vector<TFilterStep>& Steps,
                            int32_t MaxOutput = MaxStreamOutput, const TStreamDecryptor& Decrypt = nullptr,
                            TStreamDamage* Damage = nullptr);

// An encrypted file's stream, read as the two readings above would read the
// plain one: decrypted, then through the default chain when it takes
// Filters, else through Steps. False when Steps cannot be decoded.
bool ReadStreamDataDecrypted(TStream& Source, TStream& Output, int32_t Length, const TStringList& Filters,
                             const std::vector<TFilterStep>& Steps, const TStreamDecryptor& Decrypt,
                             TStreamDamage* Damage = nullptr);

}  // namespace lumerra
