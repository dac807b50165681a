#include "check/InlineImage.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "check/ImageDecodeKeys.h"
#include "syntax/Parser.h"

namespace lumerra::check {

namespace {

constexpr std::string_view Operator = "BI";

struct TImageKey {
    std::string_view Full;
    std::string_view Short;  // empty where there is no abbreviation
};

// The keys an inline image's dictionary may hold, with their abbreviations.
constexpr TImageKey ImageKeys[] = {
    {"BitsPerComponent", "BPC"}, {"ColorSpace", "CS"}, {"Decode", "D"}, {"DecodeParms", "DP"},
    {"Filter", "F"},             {"Height", "H"},      {"ImageMask", "IM"}, {"Intent", ""},
    {"Interpolate", "I"},        {"Width", "W"},       {"Length", "L"},
};

// The filters an inline image may use, full and abbreviated.
constexpr std::string_view ImageFilters[] = {
    "ASCIIHexDecode", "AHx", "ASCII85Decode", "A85", "LZWDecode",      "LZW", "FlateDecode",
    "Fl",             "RunLengthDecode", "RL", "CCITTFaxDecode", "CCF", "DCTDecode", "DCT",
};

std::string_view FullKey(std::string_view Key) {
    for (const TImageKey& key : ImageKeys)
        if (Key == key.Full || (!key.Short.empty() && Key == key.Short)) return key.Full;
    return {};
}

bool KnownFilter(const TValue& Name) {
    return Name.Is(TValue::TKind::Name) &&
           std::find(std::begin(ImageFilters), std::end(ImageFilters), Name.Text()) != std::end(ImageFilters);
}

bool IsOperandKeyword(const TSyntaxToken& Token) {
    return Token.Type == TTokenType::Keyword && Token.Text != "true" && Token.Text != "false" && Token.Text != "null";
}

// After the data: white space, then "EI" and no regular byte after it.
// Gives the position past "EI".
std::optional<size_t> EndsAt(std::span<const uint8_t> Data, size_t At) {
    while (At < Data.size() && IsIsoWhiteSpace(Data[At])) ++At;
    if (At + 2 > Data.size() || Data[At] != 'E' || Data[At + 1] != 'I') return std::nullopt;
    if (At + 2 < Data.size() && IsIsoRegular(Data[At + 2])) return std::nullopt;
    return At + 2;
}

class TImageReader {
public:
    TImageReader(TTokenizer& Tokens, int64_t BiOffset, TResourceNames& Resources, const TReportFinding& Report)
        : FTokens(Tokens), FBiOffset(BiOffset), FResources(Resources), FReport(Report) {}

    void Read() {
        if (!ReadDictionary()) return;
        CheckRequiredKeys();
        CheckDecodeKeys();
        ReadData();
    }

private:
    void Fault(int64_t Offset, TMessage Message, TSeverity Severity = TSeverity::Error) {
        FReport(TFindingCode::InlineImage, Severity, Offset, Operator, std::move(Message));
    }

    // False when the dictionary does not end in "ID": Tokens then stand on
    // what ended it.
    bool ReadDictionary() {
        TSyntaxToken token;
        for (;;) {
            FTokens.Next(token);
            if (token.IsKeyword("ID")) return true;
            if (token.Type == TTokenType::End) {
                Fault(FBiOffset, TMessage{TMessageCode::InlineImageNoId, {}});
                return false;
            }
            if (IsOperandKeyword(token)) {
                Fault(FBiOffset, MakeMessage(TMessageCode::InlineImageDictEnded, PrintableName(token.Text)));
                FTokens.SetPosition(static_cast<size_t>(token.Offset - FTokens.Base()));
                return false;
            }
            if (token.Type != TTokenType::Name) {
                Fault(token.Offset, TMessage{TMessageCode::InlineImageKeyNotName, {}});
                continue;
            }
            const int64_t keyOffset = token.Offset;
            const std::string key = token.Text;
            // A key without a value, right before "ID" or another operator.
            const size_t mark = FTokens.Position();
            FTokens.Next(token);
            FTokens.SetPosition(mark);
            if (IsOperandKeyword(token) || token.Type == TTokenType::End) {
                Fault(keyOffset, MakeMessage(TMessageCode::InlineImageNoValue, PrintableName(key)));
                continue;
            }
            TValue value;
            TParser parser(FTokens, {.Depth = 8, .Items = 4096}, true);
            if (parser.ReadValue(value) != TParseFault::None) {
                Fault(keyOffset, MakeMessage(TMessageCode::InlineImageBadValue, PrintableName(key)));
                continue;
            }
            Take(key, keyOffset, value);
        }
    }

    void Take(const std::string& Key, int64_t Offset, const TValue& Value) {
        const std::string_view full = FullKey(Key);
        if (full.empty()) {
            Fault(Offset, MakeMessage(TMessageCode::InlineImageUnknownKey, PrintableName(Key)),
                  TSeverity::Warning);
            return;
        }
        const auto integer = [&](std::optional<int64_t>& Into) {
            if (Value.Is(TValue::TKind::Integer) && Value.AsInteger() >= 0)
                Into = Value.AsInteger();
            else
                Fault(Offset, MakeMessage(TMessageCode::InlineImageNotCount, Key));
        };
        if (full == "Width") integer(FWidth);
        else if (full == "Height") integer(FHeight);
        else if (full == "BitsPerComponent") integer(FBits);
        else if (full == "Length") integer(FLength);
        else if (full == "ImageMask") FMask = Value.Is(TValue::TKind::Boolean) && Value.AsBoolean();
        else if (full == "ColorSpace") TakeColourSpace(Offset, Value);
        else if (full == "Filter") TakeFilter(Offset, Value);
        else if (full == "Decode") FDecode = {Value, Offset};
        else if (full == "DecodeParms") FDecodeParms = {Value, Offset};
    }

    void TakeColourSpace(int64_t Offset, const TValue& Value) {
        FSpaceGiven = true;
        if (Value.Is(TValue::TKind::Array)) {
            // [/I base hival lookup]: one component, an index.
            const auto& items = Value.Items();
            if (!items.empty() && (items[0].IsName("I") || items[0].IsName("Indexed"))) FSpace = TColourSpace::Device(1);
            return;
        }
        if (!Value.Is(TValue::TKind::Name)) {
            Fault(Offset, TMessage{TMessageCode::InlineImageBadColourSpace, {}});
            return;
        }
        if (BuiltInColourSpace(Value.Text(), true, FSpace) && !FSpace.Pattern) return;
        FSpace = {};
        if (const TDeclaredResource* declared = FResources.Use(TResourceCategory::ColorSpace, Value.Text()))
            FSpace = declared->Space;
        else
            FReport(TFindingCode::UndeclaredResource, TSeverity::Error, Offset, Operator,
                    MakeMessage(TMessageCode::ResourceNotDeclared, "ColorSpace", PrintableName(Value.Text())));
    }

    void TakeFilter(int64_t Offset, const TValue& Value) {
        const auto check = [&](const TValue& Name) {
            if (!KnownFilter(Name)) Fault(Offset, TMessage{TMessageCode::InlineImageBadFilter, {}});
        };
        if (Value.Is(TValue::TKind::Array)) {
            for (const TValue& item : Value.Items()) check(item);
            FFiltered = !Value.Items().empty();
            FFilterArray = Value.Items().size();
        } else {
            check(Value);
            FFiltered = true;
        }
    }

    void CheckRequiredKeys() {
        if (!FWidth) Fault(FBiOffset, TMessage{TMessageCode::InlineImageNoWidth, {}});
        if (!FHeight) Fault(FBiOffset, TMessage{TMessageCode::InlineImageNoHeight, {}});
        if (!FMask && !FBits) Fault(FBiOffset, TMessage{TMessageCode::InlineImageNoBits, {}});
        if (!FMask && !FSpaceGiven) Fault(FBiOffset, TMessage{TMessageCode::InlineImageNoColourSpace, {}});
    }

    // Checked once the dictionary is read: the colour space and the
    // filters they depend on may come after them.
    void CheckDecodeKeys() {
        if (FDecode) {
            const int32_t components = FMask ? 1 : FSpace.Components;
            switch (CheckDecode(FDecode->Value, components)) {
                case TDecodeFault::None: break;
                case TDecodeFault::NotNumbers: Fault(FDecode->Offset, TMessage{TMessageCode::InlineImageDecodeNotNumbers, {}}); break;
                case TDecodeFault::WrongCount:
                    Fault(FDecode->Offset, MakeMessage(TMessageCode::InlineImageDecodeCount, 2 * components));
                    break;
            }
        }
        if (FDecodeParms) {
            switch (CheckDecodeParms(FDecodeParms->Value, FFilterArray)) {
                case TDecodeParmsFault::None: break;
                case TDecodeParmsFault::NotDictionary:
                    Fault(FDecodeParms->Offset, TMessage{TMessageCode::InlineImageDecodeParmsNotDictionary, {}});
                    break;
                case TDecodeParmsFault::NotPerFilter:
                    Fault(FDecodeParms->Offset,
                          MakeMessage(TMessageCode::InlineImageDecodeParmsNotPerFilter, static_cast<int64_t>(*FFilterArray)));
                    break;
            }
        }
    }

    // The data's length from its dimensions when it is not filtered; none
    // when something it needs is unknown.
    std::optional<int64_t> ComputedLength() const {
        if (FFiltered || !FWidth || !FHeight) return std::nullopt;
        const int64_t bits = FMask ? 1 : FBits.value_or(0);
        const int64_t components = FMask ? 1 : FSpace.Components;
        if (bits <= 0 || bits > 16 || components <= 0) return std::nullopt;
        if (*FWidth > INT32_MAX || *FHeight > INT32_MAX) return std::nullopt;
        const int64_t row = (*FWidth * components * bits + 7) / 8;
        if (row > 0 && *FHeight > INT64_MAX / row) return std::nullopt;
        return row * *FHeight;
    }

    void ReadData() {
        const std::span<const uint8_t> data = FTokens.Data();
        size_t start = FTokens.Position();
        // One white-space byte separates "ID" from the data.
        if (start < data.size() && IsIsoWhiteSpace(data[start])) ++start;
        const std::optional<int64_t> length = FLength ? FLength : ComputedLength();
        if (length) {
            const bool inside = *length <= static_cast<int64_t>(data.size() - start);
            if (const auto end = inside ? EndsAt(data, start + static_cast<size_t>(*length)) : std::nullopt) {
                FTokens.SetPosition(*end);
                return;
            }
            Fault(FBiOffset, MakeMessage(FLength ? TMessageCode::InlineImageNoEiAfterLength : TMessageCode::InlineImageLengthMismatch, *length));
        }
        const size_t end = FindImageEnd(data, start);
        if (end == SIZE_MAX) {
            Fault(FBiOffset, TMessage{TMessageCode::InlineImageNoEnd, {}});
            FTokens.SetPosition(data.size());
            return;
        }
        FTokens.SetPosition(end + 2);
    }

    TTokenizer& FTokens;
    int64_t FBiOffset;
    TResourceNames& FResources;
    const TReportFinding& FReport;
    std::optional<int64_t> FWidth, FHeight, FBits, FLength;
    bool FMask = false;
    bool FFiltered = false;
    bool FSpaceGiven = false;
    TColourSpace FSpace;
    struct TKeptValue {
        TValue Value;
        int64_t Offset = 0;
    };
    std::optional<TKeptValue> FDecode, FDecodeParms;
    std::optional<size_t> FFilterArray;  // the length of /Filter when it is an array
};

}  // namespace

size_t FindImageEnd(std::span<const uint8_t> Data, size_t From) {
    for (size_t at = From; at + 2 <= Data.size();) {
        const void* found = std::memchr(Data.data() + at, 'E', Data.size() - at - 1);
        if (found == nullptr) break;
        at = static_cast<size_t>(static_cast<const uint8_t*>(found) - Data.data());
        const bool before = at == From || IsIsoWhiteSpace(Data[at - 1]);
        const bool after = at + 2 == Data.size() || !IsIsoRegular(Data[at + 2]);
        if (Data[at + 1] == 'I' && before && after) return at;
        ++at;
    }
    return SIZE_MAX;
}

void CheckInlineImage(TTokenizer& Tokens, int64_t BiOffset, TResourceNames& Resources, const TReportFinding& Report) {
    TImageReader(Tokens, BiOffset, Resources, Report).Read();
}

}  // namespace lumerra::check
