// Decodes stream objects through one reader of a document: the default
// reading scans the object's tokens for /Length and /Filter, extended
// reading reads its dictionary by key. Used on one thread at a time.
#pragma once

#include <cstdint>
#include <memory>

#include "common/StrUtils.h"
#include "common/Stream.h"
#include "pdf/ObjectReader.h"
#include "pdf/PDFAnalyst.h"
#include "pdf/StreamData.h"

namespace lumerra {

class TStreamDecoder {
public:
    // Objects is Analyst's object model (TPDFAnalyst::ObjectModel), null
    // where it has none; both stay the caller's.
    TStreamDecoder(TPDFAnalyst& Analyst, TObjectReader* Objects) : FAnalyst(Analyst), FObjects(Objects) {}

    // Appends the decoded data of stream object N to D and its filter names
    // to F; returns the number of bytes appended. Damage, when given, tells
    // what decoding passed over.
    int32_t Decode(int32_t N, TStringList& F, TStream& D, TStreamDamage* Damage);

private:
    TPDFAnalyst& FAnalyst;
    TObjectReader* FObjects;
};

// A stream decoder over a reader of its own (TPDFAnalyst::Reader), for a
// thread other than the one that loaded the document.
class TDetachedStreamDecoder {
public:
    // Throws when the document gives no second reader.
    explicit TDetachedStreamDecoder(const TPDFAnalyst& Analyst);
    TStreamDecoder& Decoder() { return FDecoder; }

private:
    std::unique_ptr<TPDFAnalyst> FReader;
    std::unique_ptr<TObjectReader> FObjects;
    TStreamDecoder FDecoder;
};

}  // namespace lumerra
