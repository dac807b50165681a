#include "syntax/Parser.h"

#include <algorithm>

namespace lumerra {

namespace {

bool EndsObject(const std::string& Word) {
    return Word == "endobj" || Word == "stream" || Word == "endstream" || Word == "obj" || Word == "xref" ||
           Word == "trailer" || Word == "startxref";
}

}  // namespace

const TSyntaxToken& TParser::Take() {
    FTokens.Next(FToken);
    return FToken;
}

bool TParser::AtArrayClose() {
    if (FTokens.PeekByte() != ']') return false;
    Take();
    return true;
}

bool TParser::AtDictClose() {
    if (FTokens.PeekByte() != '>' || FTokens.PeekByte(1) != '>') return false;
    Take();
    return true;
}

TParseFault TParser::Fault(TParseFault F, int64_t Offset, std::string What) {
    FFaultOffset = Offset;
    FFaultText = std::move(What);
    return F;
}

TParseFault TParser::ReadValue(TValue& Out) { return Value(&Out, 0); }

TParseFault TParser::Value(TValue* Out, int Depth, const TKeyFilter* Keys) {
    if (++FItems > FLimits.Items)
        return Fault(TParseFault::TooManyItems, FTokens.Base() + static_cast<int64_t>(FTokens.Position()),
                     "too many items");
    const TSyntaxToken& token = Take();
    const int64_t at = token.Offset;
    // Out is null where the value is passed over: read, checked, not kept.
    const auto set = [Out](TValue Value) {
        if (Out != nullptr) *Out = std::move(Value);
        return TParseFault::None;
    };
    switch (token.Type) {
        case TTokenType::End: return Fault(TParseFault::NeedMore, at, "the data ends inside a value");
        case TTokenType::Bad:
            if (token.Truncated) return Fault(TParseFault::NeedMore, at, token.Text);
            // Inside an array or a dictionary a bad token reads as null, so
            // that one damaged value does not cost the whole object.
            if (Depth > 0) return set(TValue());
            return Fault(TParseFault::Damaged, at, token.Text);
        case TTokenType::Real: return set(TValue::Real(token.Real));
        case TTokenType::String:
        case TTokenType::HexString: return Out != nullptr ? set(TValue::String(token.Text)) : TParseFault::None;
        case TTokenType::Name: return Out != nullptr ? set(TValue::Name(token.Text)) : TParseFault::None;
        case TTokenType::Keyword:
            if (token.Text == "true" || token.Text == "false") return set(TValue::Boolean(token.Text == "true"));
            if (token.Text == "null") return set(TValue());
            // The keywords that frame objects end the value here: the object
            // is damaged. Any other word inside a container reads as null.
            if (Depth > 0 && !EndsObject(token.Text)) return set(TValue());
            return Fault(TParseFault::Damaged, at, "unexpected keyword " + token.Text);
        case TTokenType::Integer: {
            // "n g R" is a reference; otherwise the number stands alone.
            const int64_t number = token.Integer;
            int64_t generation = 0;
            switch (FTokens.ReadReferenceTail(generation)) {
                case TTokenizer::TReferenceTail::Yes:
                    if (number < 0 || number > INT32_MAX || generation > 65535)
                        return Fault(TParseFault::Damaged, at, "reference out of range");
                    return set(TValue::Reference({static_cast<int32_t>(number), static_cast<int32_t>(generation)}));
                case TTokenizer::TReferenceTail::Unknown:
                    // "12" or "12 0" at the end of the window might be "12 0 R" cut short.
                    if (!FFinal) return Fault(TParseFault::NeedMore, at, "the data ends inside a value");
                    break;
                case TTokenizer::TReferenceTail::No: break;
            }
            return set(TValue::Integer(number));
        }
        case TTokenType::ArrayOpen: {
            if (Depth >= FLimits.Depth) return Fault(TParseFault::TooDeep, at, "nested too deep");
            std::vector<TValue> items;
            for (;;) {
                if (FTokens.PeekByte() < 0) return Fault(TParseFault::NeedMore, at, "unterminated array");
                if (AtArrayClose()) break;
                // Each item is parsed where it is kept: no value is moved twice.
                TValue* item = Out != nullptr ? &items.emplace_back() : nullptr;
                if (const TParseFault f = Value(item, Depth + 1); f != TParseFault::None) return f;
            }
            return set(TValue::Array(std::move(items)));
        }
        case TTokenType::DictOpen: {
            if (Depth >= FLimits.Depth) return Fault(TParseFault::TooDeep, at, "nested too deep");
            std::vector<TValue::TEntry> entries;
            if (Out != nullptr) entries.reserve(8);
            for (;;) {
                const TSyntaxToken& key = Take();
                if (key.Type == TTokenType::DictClose) break;
                if (key.Type == TTokenType::End) return Fault(TParseFault::NeedMore, at, "unterminated dictionary");
                if (key.Type != TTokenType::Name)
                    return Fault(key.Truncated ? TParseFault::NeedMore : TParseFault::Damaged, key.Offset,
                                 "a dictionary key is not a name");
                // Keys outside the filter are passed over.
                const bool kept = Out != nullptr && (Keys == nullptr || std::find(Keys->begin(), Keys->end(),
                                                                                   std::string_view(key.Text)) != Keys->end());
                std::string name = kept ? key.Text : std::string();
                // A key right before ">>" has a null value.
                if (AtDictClose()) {
                    if (kept) entries.emplace_back(std::move(name), TValue());
                    break;
                }
                TValue* item = kept ? &entries.emplace_back(std::move(name), TValue()).second : nullptr;
                if (const TParseFault f = Value(item, Depth + 1); f != TParseFault::None) return f;
            }
            return set(TValue::Dictionary(std::move(entries)));
        }
        default: return Fault(TParseFault::Damaged, at, "unexpected delimiter");
    }
}

TParseFault TParser::ReadIndirectObject(TIndirectObject& Out, const TKeyFilter* Keys) {
    const TSyntaxToken number = Take();
    if (number.Type == TTokenType::End) return Fault(TParseFault::NeedMore, number.Offset, "no object header");
    const TSyntaxToken generation = Take();
    const TSyntaxToken obj = Take();
    if (obj.Type == TTokenType::End) return Fault(TParseFault::NeedMore, number.Offset, "no object header");
    if (number.Type != TTokenType::Integer || generation.Type != TTokenType::Integer || number.Integer < 0 ||
        number.Integer > INT32_MAX || generation.Integer < 0 || generation.Integer > 65535)
        return Fault(TParseFault::Damaged, number.Offset, "no object header");
    // The two numbers make the header: a damaged keyword after them ("ovj")
    // is passed over, and a missing one leaves the value to start there.
    if (obj.Type != TTokenType::Keyword) FTokens.SetPosition(static_cast<size_t>(obj.Offset - FTokens.Base()));
    Out.Ref = {static_cast<int32_t>(number.Integer), static_cast<int32_t>(generation.Integer)};
    if (const TParseFault f = Value(&Out.Value, 0, Keys); f != TParseFault::None) return f;
    const TSyntaxToken& after = Take();
    // "stre" at the window's end may be "stream": the value would be read
    // as a dictionary without its data.
    if (after.Truncated && !FFinal && after.Type == TTokenType::Keyword && after.Text.size() < 6 &&
        std::string_view("stream").starts_with(after.Text))
        return Fault(TParseFault::NeedMore, after.Offset, "the data ends after the value");
    if (after.IsKeyword("stream")) {
        if (!Out.Value.Is(TValue::TKind::Dictionary))
            return Fault(TParseFault::Damaged, after.Offset, "stream data after a value that is no dictionary");
        Out.Value.MakeStream(after.Offset + 6);
    } else if (after.Type == TTokenType::End && !FFinal) {
        return Fault(TParseFault::NeedMore, after.Offset, "the data ends before endobj");
    }
    Out.End = FTokens.Base() + static_cast<int64_t>(FTokens.Position());
    return TParseFault::None;
}

std::optional<TValue> ParseValue(std::span<const uint8_t> Data) {
    TTokenizer tokens(Data);
    TParser parser(tokens, {}, true);
    TValue value;
    if (parser.ReadValue(value) != TParseFault::None) return std::nullopt;
    return value;
}

}  // namespace lumerra
