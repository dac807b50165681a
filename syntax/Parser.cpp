#include "syntax/Parser.h"

namespace lumerra {

const TSyntaxToken& TParser::Take() {
    FTokens.Next(FToken);
    return FToken;
}

TTokenType TParser::PeekType() {
    const size_t mark = FTokens.Position();
    FTokens.Next(FLook);
    FTokens.SetPosition(mark);
    return FLook.Type;
}

TParseFault TParser::Fault(TParseFault F, int64_t Offset, std::string What) {
    FFaultOffset = Offset;
    FFaultText = std::move(What);
    return F;
}

TParseFault TParser::ReadValue(TValue& Out) { return Value(Out, 0); }

TParseFault TParser::Value(TValue& Out, int Depth) {
    if (++FItems > FLimits.Items)
        return Fault(TParseFault::TooManyItems, FTokens.Base() + static_cast<int64_t>(FTokens.Position()),
                     "too many items");
    const TSyntaxToken& token = Take();
    const int64_t at = token.Offset;
    switch (token.Type) {
        case TTokenType::End: return Fault(TParseFault::NeedMore, at, "the data ends inside a value");
        case TTokenType::Bad:
            return Fault(token.Truncated ? TParseFault::NeedMore : TParseFault::Damaged, at, token.Text);
        case TTokenType::Real: Out = TValue::Real(token.Real); return TParseFault::None;
        case TTokenType::String:
        case TTokenType::HexString: Out = TValue::String(token.Text); return TParseFault::None;
        case TTokenType::Name: Out = TValue::Name(token.Text); return TParseFault::None;
        case TTokenType::Keyword:
            if (token.Text == "true" || token.Text == "false") {
                Out = TValue::Boolean(token.Text == "true");
            } else if (token.Text == "null") {
                Out = TValue();
            } else {
                return Fault(TParseFault::Damaged, at, "unexpected keyword " + token.Text);
            }
            return TParseFault::None;
        case TTokenType::Integer: {
            // "n g R" is a reference; otherwise the number stands alone.
            const int64_t number = token.Integer;
            int64_t generation = 0;
            switch (FTokens.ReadReferenceTail(generation)) {
                case TTokenizer::TReferenceTail::Yes:
                    if (number < 0 || number > INT32_MAX || generation > 65535)
                        return Fault(TParseFault::Damaged, at, "reference out of range");
                    Out = TValue::Reference({static_cast<int32_t>(number), static_cast<int32_t>(generation)});
                    return TParseFault::None;
                case TTokenizer::TReferenceTail::Unknown:
                    // "12" or "12 0" at the end of the window might be "12 0 R" cut short.
                    if (!FFinal) return Fault(TParseFault::NeedMore, at, "the data ends inside a value");
                    break;
                case TTokenizer::TReferenceTail::No: break;
            }
            Out = TValue::Integer(number);
            return TParseFault::None;
        }
        case TTokenType::ArrayOpen: {
            if (Depth >= FLimits.Depth) return Fault(TParseFault::TooDeep, at, "nested too deep");
            std::vector<TValue> items;
            for (;;) {
                const TTokenType next = PeekType();
                if (next == TTokenType::End) return Fault(TParseFault::NeedMore, at, "unterminated array");
                if (next == TTokenType::ArrayClose) {
                    Take();
                    break;
                }
                TValue item;
                if (const TParseFault f = Value(item, Depth + 1); f != TParseFault::None) return f;
                items.push_back(std::move(item));
            }
            Out = TValue::Array(std::move(items));
            return TParseFault::None;
        }
        case TTokenType::DictOpen: {
            if (Depth >= FLimits.Depth) return Fault(TParseFault::TooDeep, at, "nested too deep");
            std::vector<TValue::TEntry> entries;
            entries.reserve(8);
            for (;;) {
                const TSyntaxToken& key = Take();
                if (key.Type == TTokenType::DictClose) break;
                if (key.Type == TTokenType::End) return Fault(TParseFault::NeedMore, at, "unterminated dictionary");
                if (key.Type != TTokenType::Name)
                    return Fault(key.Truncated ? TParseFault::NeedMore : TParseFault::Damaged, key.Offset,
                                 "a dictionary key is not a name");
                std::string name = key.Text;
                // A key right before ">>" has a null value.
                if (PeekType() == TTokenType::DictClose) {
                    Take();
                    entries.emplace_back(std::move(name), TValue());
                    break;
                }
                TValue item;
                if (const TParseFault f = Value(item, Depth + 1); f != TParseFault::None) return f;
                entries.emplace_back(std::move(name), std::move(item));
            }
            Out = TValue::Dictionary(std::move(entries));
            return TParseFault::None;
        }
        default: return Fault(TParseFault::Damaged, at, "unexpected delimiter");
    }
}

TParseFault TParser::ReadIndirectObject(TIndirectObject& Out) {
    const TSyntaxToken number = Take();
    if (number.Type == TTokenType::End) return Fault(TParseFault::NeedMore, number.Offset, "no object header");
    const TSyntaxToken generation = Take();
    const TSyntaxToken obj = Take();
    if (obj.Type == TTokenType::End) return Fault(TParseFault::NeedMore, number.Offset, "no object header");
    if (number.Type != TTokenType::Integer || generation.Type != TTokenType::Integer || !obj.IsKeyword("obj") ||
        number.Integer < 0 || number.Integer > INT32_MAX || generation.Integer < 0 || generation.Integer > 65535)
        return Fault(TParseFault::Damaged, number.Offset, "no object header");
    Out.Ref = {static_cast<int32_t>(number.Integer), static_cast<int32_t>(generation.Integer)};
    if (const TParseFault f = Value(Out.Value, 0); f != TParseFault::None) return f;
    const TSyntaxToken& after = Take();
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
