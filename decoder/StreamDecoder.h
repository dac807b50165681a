// Decodes stream objects through one reader of a document. Each reading has
// its own decoder, chosen once where the decoder is made (NewStreamDecoder):
// the default reading scans the object's tokens for /Length and /Filter,
// extended reading reads its dictionary by key. Used on one thread at a
// time.
#pragma once

#include <cstdint>
#include <memory>

#include "common/StrUtils.h"
#include "common/Stream.h"
#include "filters/FastInflate.h"
#include "pdf/ObjectReader.h"
#include "pdf/PDFAnalyst.h"
#include "pdf/StreamData.h"

namespace lumerra {

class TStreamDecoder {
public:
    virtual ~TStreamDecoder() = default;
    TStreamDecoder(const TStreamDecoder&) = delete;
    TStreamDecoder& operator=(const TStreamDecoder&) = delete;

    // Appends the decoded data of stream object N to D and its filter names
    // to F; returns the number of bytes appended. Damage, when given, tells
    // what decoding passed over.
    int32_t Decode(int32_t N, TStringList& F, TStream& D, TStreamDamage* Damage);

protected:
    explicit TStreamDecoder(TPDFAnalyst& Analyst) : FAnalyst(Analyst) {}
    // Object N, which the file holds; the stream's position is put back after.
    virtual void DecodeObject(int32_t N, TStringList& F, TStream& D, TStreamDamage* Damage) = 0;

    TPDFAnalyst& FAnalyst;
    // A decoder serves one thread, stream after stream: its inflater's
    // decompressor and buffer are made once rather than for every stream.
    TFastInflater FInflater;
};

// The stream decoder of Analyst's reading: by key through Objects, Analyst's
// object model (TPDFAnalyst::ObjectModel), where it has one; token by token
// where it has none. Both stay the caller's.
std::unique_ptr<TStreamDecoder> NewStreamDecoder(TPDFAnalyst& Analyst, TObjectReader* Objects);

// A stream decoder over a reader of its own (TPDFAnalyst::Reader), for a
// thread other than the one that loaded the document.
class TDetachedStreamDecoder {
public:
    // Throws when the document gives no second reader.
    explicit TDetachedStreamDecoder(const TPDFAnalyst& Analyst);
    TStreamDecoder& Decoder() { return *FDecoder; }

private:
    std::unique_ptr<TPDFAnalyst> FReader;
    std::unique_ptr<TObjectReader> FObjects;
    std::unique_ptr<TStreamDecoder> FDecoder;
};

}  // namespace lumerra
