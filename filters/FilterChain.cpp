#include "filters/FilterChain.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "filters/AsciiDecode.h"
#include "filters/Flate.h"

namespace lumerra {

namespace {

// The one place a decoder may take in a chain. The chains known are a single
// decoder or a text decoder followed by Flate: a text decoder stands only
// first and Flate only last, so every other order or number of names is no
// chain.
enum class TPlace { FirstOnly, LastOnly };

struct TDecoder {
    std::string_view Name;
    TPlace Place;
    // Decodes all of Input and appends the bytes to Output; Fast is for Flate.
    void (*Decode)(TMemoryStream& Input, TStream& Output, TFastInflater* Fast);
    // Decodes all of Input into Output, replacing its content and leaving its
    // position at 0: a step that another decoder follows. Null when Decode
    // into the memory stream does as well.
    void (*DecodeToMemory)(TMemoryStream& Input, TMemoryStream& Output);
};

constexpr TDecoder Decoders[] = {
    {ASCIIHexDecodeName, TPlace::FirstOnly,
     [](TMemoryStream& Input, TStream& Output, TFastInflater*) {
         const std::string decoded = DecodeASCIIHex(Input.Memory(), Input.Size());
         Output.WriteBuffer(decoded.data(), static_cast<int32_t>(decoded.size()));
     },
     [](TMemoryStream& Input, TMemoryStream& Output) { DecodeASCIIHexToMemory(Input.Memory(), Input.Size(), Output); }},
    {ASCII85DecodeName, TPlace::FirstOnly,
     [](TMemoryStream& Input, TStream& Output, TFastInflater*) { DecodeASCII85(Input.Memory(), Input.Size(), Output); },
     [](TMemoryStream& Input, TMemoryStream& Output) { DecodeASCII85ToMemory(Input.Memory(), Input.Size(), Output); }},
    {FlateDecodeName, TPlace::LastOnly,
     [](TMemoryStream& Input, TStream& Output, TFastInflater* Fast) {
         Input.SetPosition(0);
         DecodeFlate(Input, Output, Fast);
     },
     nullptr},
};

const TDecoder* FindDecoder(const std::string& Name) {
    const auto it = std::find_if(std::begin(Decoders), std::end(Decoders),
                                 [&Name](const TDecoder& Decoder) { return Decoder.Name == Name; });
    return it == std::end(Decoders) ? nullptr : &*it;
}

// The decoders the list names, in order; nothing when the list is no chain.
std::optional<std::vector<const TDecoder*>> ChainOf(const TStringList& Filters) {
    std::vector<const TDecoder*> chain;
    for (size_t i = 0; i < Filters.size(); ++i) {
        const TDecoder* decoder = FindDecoder(Filters[i]);
        if (decoder == nullptr) return std::nullopt;
        const bool fits = decoder->Place == TPlace::FirstOnly ? i == 0 : i + 1 == Filters.size();
        if (!fits) return std::nullopt;
        chain.push_back(decoder);
    }
    return chain;
}

void DecodeStep(const TDecoder& Decoder, TMemoryStream& Input, TMemoryStream& Output) {
    if (Decoder.DecodeToMemory != nullptr) {
        Decoder.DecodeToMemory(Input, Output);
        return;
    }
    Output.SetSize(0);
    Decoder.Decode(Input, Output, nullptr);
    Output.SetPosition(0);
}

}  // namespace

bool FiltersFormChain(const TStringList& Filters) { return ChainOf(Filters).has_value(); }

bool FiltersSupported(const TStringList& Filters) {
    return std::all_of(Filters.begin(), Filters.end(),
                       [](const std::string& Name) { return FindDecoder(Name) != nullptr; });
}

void ApplyFilters(TMemoryStream& Data, const TStringList& Filters, TStream& Output, TFastInflater* Fast) {
    const auto chain = ChainOf(Filters);
    if (!chain) return;
    if (chain->empty()) {
        if (Data.Size() > 0) Output.WriteBuffer(Data.Memory(), Data.Size());
        return;
    }
    // Each step before the last leaves its bytes in memory for the next.
    TMemoryStream steps[2];
    TMemoryStream* input = &Data;
    for (size_t i = 0; i + 1 < chain->size(); ++i) {
        TMemoryStream& next = steps[i % 2];
        DecodeStep(*(*chain)[i], *input, next);
        input = &next;
    }
    chain->back()->Decode(*input, Output, Fast);
}

}  // namespace lumerra
