#include "check/ContentChecker.h"

#include <cstring>

#include "check/InlineImage.h"

namespace lumerra::check {

namespace {

// Graphics states saved for their colour spaces; deeper ones are counted.
constexpr size_t MaximumSaved = 4096;

using C = TOperatorClass;

TMessageCode OperandTypeWrong(char Letter) {
    switch (Letter) {
        case 'n': return TMessageCode::OperandMustBeNumber;
        case 'i': return TMessageCode::OperandMustBeInteger;
        case '/': return TMessageCode::OperandMustBeName;
        case 's': return TMessageCode::OperandMustBeString;
        case 'a': return TMessageCode::OperandMustBeArray;
        default: return TMessageCode::OperandMustBeNameOrDict;
    }
}

// Most keywords are operators: these are told apart by their length first.
bool IsBoolean(std::string_view Word) {
    return (Word.size() == 4 && Word == "true") || (Word.size() == 5 && Word == "false");
}
bool IsNull(std::string_view Word) { return Word.size() == 4 && Word == "null"; }

// Resource names that differ mostly differ in their last byte (/F1 /F2,
// /R7 /R8): it is compared first.
bool SameName(const std::string& Kept, std::string_view Name) {
    return Kept.size() == Name.size() &&
           (Kept.empty() || (Kept.back() == Name.back() && std::memcmp(Kept.data(), Name.data(), Name.size()) == 0));
}

TMessage SyntaxMessage(TScanFault Fault) {
    switch (Fault) {
        case TScanFault::UnterminatedString: return {TMessageCode::UnterminatedString, {}};
        case TScanFault::UnterminatedHexString: return {TMessageCode::UnterminatedHexString, {}};
        case TScanFault::BadHexString: return {TMessageCode::BadHexString, {}};
        case TScanFault::UnexpectedParenthesis: return {TMessageCode::UnexpectedParenthesis, {}};
        case TScanFault::UnexpectedAngle: return {TMessageCode::UnexpectedAngle, {}};
        case TScanFault::None: break;
    }
    return {TMessageCode::UnreadableByte, {}};
}

}  // namespace

const std::array<uint8_t, 128> TContentChecker::AcceptedKinds = [] {
    std::array<uint8_t, 128> kinds{};
    for (size_t letter = 0; letter < kinds.size(); ++letter) kinds[letter] = static_cast<uint8_t>(Accepted(static_cast<char>(letter)));
    return kinds;
}();

TContentChecker::TContentChecker(TResourceNames& Resources, TPageFindings& Findings, std::string Form)
    : FResources(Resources), FFindings(Findings), FForm(std::move(Form)) {
    if (FForm.empty()) FFill = FStroke = TColourSpace::Device(1);
}

TContentChecker::TPlace TContentChecker::Locate(int64_t Offset) const {
    if (Offset < 0 || FParts.empty()) return {FParts.empty() ? -1 : FParts.front().Object, Offset};
    size_t part = FParts.size() - 1;
    while (part > 0 && FParts[part].Start > Offset) --part;
    return {FParts[part].Object, Offset - FParts[part].Start};
}

TContentChecker::TPlace TContentChecker::Locate(const TOperand& Operand) const {
    return Operand.Located ? TPlace{Operand.Object, Operand.Offset} : Locate(Operand.Offset);
}

void TContentChecker::Report(TFindingCode Code, TSeverity Severity, int64_t Offset, std::string_view Operator,
                             TMessage Message) {
    ReportPlace(Code, Severity, Locate(Offset), Operator, std::move(Message));
}

void TContentChecker::ReportPlace(TFindingCode Code, TSeverity Severity, TPlace Place, std::string_view Operator,
                                  TMessage Message, int64_t OperandOffset) {
    TFinding finding;
    finding.Code = Code;
    finding.Severity = Severity;
    finding.Object = Place.Object;
    finding.Form = FForm;
    finding.Stream = FStream;
    finding.StreamName = FStreamName;
    finding.Offset = Place.Offset;
    finding.OperandOffset = OperandOffset;
    finding.Operator = PrintableOperator(Operator);
    finding.Message = std::move(Message);
    FFindings.Add(std::move(finding));
}

void TContentChecker::ReportAt(const TOperand& Operand, int64_t Offset, TFindingCode Code, std::string_view Operator,
                               TMessage Message) {
    const TPlace place = Locate(Offset);
    const TPlace operand = Locate(Operand);
    // The operand's offset is told in the operator's stream only.
    ReportPlace(Code, TSeverity::Error, place, Operator, std::move(Message),
                operand.Object == place.Object ? operand.Offset : -1);
}

inline void TContentChecker::Push(TKind Kind, int64_t Offset, bool TextItems) {
    ++FOperandCount;
    if (FKept == MaximumKept) return;
    TOperand& operand = FOperands[FKept++];
    operand.Kind = Kind;
    operand.Offset = Offset;
    operand.Located = false;
    operand.TextItems = TextItems;
}

inline void TContentChecker::PushName(const TScanToken& Name) {
    Push(TKind::Name, static_cast<int64_t>(Name.Offset));
    if (FKept == 0 || FOperandCount > static_cast<int64_t>(MaximumKept)) return;
    // Only names are looked at by their bytes.
    TOperand& operand = FOperands[FKept - 1];
    if (Name.Escaped) {
        TScanner::DecodeName(Name.Bytes, operand.Decoded);
        operand.Text = operand.Decoded;
    } else {
        operand.Text = Name.Bytes;
    }
}

void TContentChecker::KeepNames() {
    for (size_t i = 0; i < FKept; ++i) {
        TOperand& operand = FOperands[i];
        if (!operand.Located) {
            const TPlace place = Locate(operand.Offset);
            operand.Object = place.Object;
            operand.Offset = place.Offset;
            operand.Located = true;
        }
        if (operand.Kind != TKind::Name || operand.Text.data() == operand.Decoded.data()) continue;
        operand.Decoded.assign(operand.Text);
        operand.Text = operand.Decoded;
    }
}

inline void TContentChecker::ClearOperands() {
    FKept = 0;
    FOperandCount = 0;
}

void TContentChecker::Check(std::span<const uint8_t> Data, int32_t Object) {
    const TContentPart part{0, Object};
    Check(Data, std::span<const TContentPart>(&part, 1));
}

void TContentChecker::Check(std::span<const uint8_t> Data, std::span<const TContentPart> Parts) {
    TScanner scanner(Data);
    FScanner = &scanner;
    FParts.assign(Parts.begin(), Parts.end());
    for (;;) {
        scanner.Next(FToken);
        const auto at = static_cast<int64_t>(FToken.Offset);
        switch (FToken.Type) {
            case TTokenType::End:
                KeepNames();
                FScanner = nullptr;
                return;
            case TTokenType::Bad: Report(TFindingCode::Syntax, TSeverity::Error, at, "", SyntaxMessage(FToken.Fault)); break;
            case TTokenType::Integer: Push(TKind::Integer, at); break;
            case TTokenType::Real: Push(TKind::Real, at); break;
            case TTokenType::Name: PushName(FToken); break;
            case TTokenType::String:
            case TTokenType::HexString: Push(TKind::String, at); break;
            case TTokenType::ArrayOpen:
            case TTokenType::DictOpen: ReadComposite(FToken); break;
            case TTokenType::ArrayClose:
                Report(TFindingCode::Syntax, TSeverity::Error, at, "", TMessage{TMessageCode::UnexpectedArrayClose, {}});
                break;
            case TTokenType::DictClose:
                Report(TFindingCode::Syntax, TSeverity::Error, at, "", TMessage{TMessageCode::UnexpectedDictClose, {}});
                break;
            case TTokenType::BraceOpen:
            case TTokenType::BraceClose:
                Report(TFindingCode::Syntax, TSeverity::Error, at, "", TMessage{TMessageCode::BracesInContent, {}});
                break;
            case TTokenType::Keyword:
                // No operator is longer than three bytes.
                if (FToken.Bytes.size() < 4) Operator(FToken);
                else if (IsBoolean(FToken.Bytes)) Push(TKind::Boolean, at);
                else if (IsNull(FToken.Bytes)) Push(TKind::Null, at);
                else Operator(FToken);
                break;
        }
    }
}

void TContentChecker::ReadComposite(const TScanToken& Open) {
    const bool array = Open.Type == TTokenType::ArrayOpen;
    const auto start = static_cast<int64_t>(Open.Offset);
    const TMessage notClosed{array ? TMessageCode::ArrayNotClosed : TMessageCode::DictNotClosed, {}};
    FComposite.assign(1, array ? '[' : '<');
    bool textItems = true;  // numbers and strings only, at the first level
    TScanToken& token = FToken;
    while (!FComposite.empty()) {
        const bool top = FComposite.size() == 1;
        // What a TJ array holds passes without a token each.
        if (array && top) FScanner->PassStringsAndNumbers();
        FScanner->Next(token);
        const auto at = static_cast<int64_t>(token.Offset);
        switch (token.Type) {
            case TTokenType::End:
                Report(TFindingCode::Syntax, TSeverity::Error, start, "", notClosed);
                return;
            case TTokenType::Bad:
                Report(TFindingCode::Syntax, TSeverity::Error, at, "", SyntaxMessage(token.Fault));
                textItems = false;
                break;
            case TTokenType::ArrayOpen:
            case TTokenType::DictOpen:
                FComposite.push_back(token.Type == TTokenType::ArrayOpen ? '[' : '<');
                textItems = false;
                break;
            case TTokenType::ArrayClose:
            case TTokenType::DictClose: {
                const char expected = token.Type == TTokenType::ArrayClose ? '[' : '<';
                if (FComposite.back() != expected)
                    Report(TFindingCode::Syntax, TSeverity::Error, at, "",
                           TMessage{expected == '[' ? TMessageCode::DictClosedByBracket : TMessageCode::ArrayClosedByAngles, {}});
                FComposite.pop_back();
                break;
            }
            case TTokenType::Keyword:
                if (IsBoolean(token.Bytes) || IsNull(token.Bytes)) {
                    if (top) textItems = false;
                    break;
                }
                // An operator inside: the array was never closed. The
                // operator is read as one.
                Report(TFindingCode::Syntax, TSeverity::Error, start, "", notClosed);
                FScanner->SetPosition(token.Offset);
                Push(array ? TKind::Array : TKind::Dictionary, start, textItems);
                return;
            case TTokenType::Integer:
            case TTokenType::Real:
            case TTokenType::String:
            case TTokenType::HexString: break;
            default:
                if (top) textItems = false;
                break;
        }
    }
    Push(array ? TKind::Array : TKind::Dictionary, start, textItems);
}

[[gnu::always_inline]] inline void TContentChecker::Operator(const TScanToken& Token) {
    const auto at = static_cast<int64_t>(Token.Offset);
    const TOperator* op = FindOperator(Token.Bytes);
    if (op == nullptr) {
        // Inside BX ... EX unknown operators are passed over with their operands.
        if (FCompatibilityDepth == 0)
            Report(TFindingCode::UnknownOperator, TSeverity::Error, at, Token.Bytes, TMessage{TMessageCode::UnknownOperator, {}});
        ClearOperands();
        return;
    }
    if (FGlyph && !FOperatorSeen && op->Class != C::Type3) [[unlikely]]
        Report(TFindingCode::OperatorPlacement, TSeverity::Error, at, op->Name, TMessage{TMessageCode::GlyphNeedsD0D1, {}});
    const bool operandsFit = CheckOperands(*op, at);
    CheckPlacement(*op, at, operandsFit);
    CheckNesting(*op, at);
    if (operandsFit) CheckNames(*op, at);
    ClearOperands();
    FOperatorSeen = true;
    if (op->Id == TOperatorId::BI) CheckInlineImage(at);
}

void TContentChecker::CheckInlineImage(int64_t Offset) {
    // The image's dictionary is read as values, by the tokenizer; the scanner
    // goes on past its data.
    TTokenizer tokens(FScanner->Data());
    tokens.SetKeepStringBytes(false);
    tokens.SetPosition(FScanner->Position());
    check::CheckInlineImage(tokens, Offset, FResources,
                            [this](TFindingCode Code, TSeverity Severity, int64_t At, std::string_view Op, TMessage Message) {
                                Report(Code, Severity, At, Op, std::move(Message));
                            });
    FScanner->SetPosition(tokens.Position());
}

[[gnu::always_inline]] inline bool TContentChecker::CheckOperands(const TOperator& Op, int64_t Offset) {
    if (Op.Variable) {
        CheckColour(Op, Offset);
        return true;
    }
    if (FOperandCount != static_cast<int64_t>(Op.Operands.size())) {
        Report(TFindingCode::OperandCount, TSeverity::Error, Offset, Op.Name,
               MakeMessage(TMessageCode::OperandCountWrong, Op.Operands.size(), FOperandCount));
        return false;
    }
    for (size_t i = 0; i < Op.Operands.size(); ++i) {
        const TOperand& operand = Operand(i);
        const char want = Op.Operands[i];
        if ((AcceptedKinds[static_cast<uint8_t>(want) & 0x7F] & KindBit(operand.Kind)) == 0) {
            ReportAt(operand, Offset, TFindingCode::OperandType, Op.Name,
                   MakeMessage(OperandTypeWrong(want), i + 1));
            return false;
        }
    }
    // TJ shows strings and moves by numbers, nothing else.
    if (Op.Id == TOperatorId::TJ && !Operand(0).TextItems) {
        ReportAt(Operand(0), Offset, TFindingCode::OperandType, Op.Name,
               TMessage{TMessageCode::TjItems, {}});
        return false;
    }
    return true;
}

void TContentChecker::CheckColour(const TOperator& Op, int64_t Offset) {
    const bool stroke = Op.Name[0] == 'S';
    const bool named = Op.Name.size() == 3;  // SCN scn: a pattern's name may end the operands
    const TColourSpace& space = stroke ? FStroke : FFill;
    const size_t kept = FKept;
    const bool lastIsName = kept > 0 && static_cast<int64_t>(kept) == FOperandCount && Operand(kept - 1).Kind == TKind::Name;
    const int64_t numbers = FOperandCount - (named && lastIsName ? 1 : 0);
    for (size_t i = 0; i < kept && static_cast<int64_t>(i) < numbers; ++i)
        if (Operand(i).Kind != TKind::Integer && Operand(i).Kind != TKind::Real) {
            ReportAt(Operand(i), Offset, TFindingCode::OperandType, Op.Name,
                   MakeMessage(TMessageCode::OperandMustBeNumber, i + 1));
            return;
        }
    const auto count = [&](int64_t Expected) {
        if (numbers != Expected)
            Report(TFindingCode::OperandCount, TSeverity::Error, Offset, Op.Name,
                   MakeMessage(TMessageCode::ColourComponentsWrong, Expected, numbers));
    };
    if (named && lastIsName) {
        if (!space.Pattern && space.Components >= 0) {
            ReportAt(Operand(kept - 1), Offset, TFindingCode::OperandType, Op.Name,
                   TMessage{TMessageCode::PatternNameOutsidePattern, {}});
            return;
        }
        const TDeclaredResource* pattern = UseResource(TResourceCategory::Pattern, Operand(kept - 1), Offset, Op.Name);
        // A coloured pattern carries its own colours: the name alone.
        if (pattern != nullptr && pattern->PaintType == TPaintType::Coloured) count(0);
        else if (space.Pattern && space.PatternComponents >= 0) count(space.PatternComponents);
        return;
    }
    if (space.Pattern) {
        Report(named ? TFindingCode::OperandCount : TFindingCode::OperandType, TSeverity::Error, Offset, Op.Name,
               TMessage{named ? TMessageCode::PatternNameNeeded : TMessageCode::PatternNeedsScn, {}});
        return;
    }
    if (space.Components >= 0) count(space.Components);
    else if (numbers == 0) count(1);
}

[[gnu::always_inline]] inline void TContentChecker::CheckPlacement(const TOperator& Op, int64_t Offset, bool OperandsFit) {
    const auto misplaced = [&](TMessage Message) {
        Report(TFindingCode::OperatorPlacement, TSeverity::Error, Offset, Op.Name, std::move(Message));
    };
    switch (Op.Class) {
        case C::PathConstruction:
            if (FPath == TPath::None) {
                if (FInText) misplaced(TMessage{TMessageCode::PathInText, {}});
                else if (Op.Id != TOperatorId::m && Op.Id != TOperatorId::re) misplaced(TMessage{TMessageCode::NoCurrentPoint, {}});
                // A path begun by an operator readers pass over is no path.
                if (!OperandsFit) return;
                FPathStart = Locate(Offset);
            }
            FPath = TPath::Building;
            return;
        // Clipping, painting or ending no path does nothing, and readers
        // pass it over (pdflatex's TikZ writes "n" after every picture,
        // pdfTeX and iText "S", "f" and "W"): one warning for each.
        case C::Clipping:
            if (FPath == TPath::None)
                Report(TFindingCode::OperatorPlacement, TSeverity::Warning, Offset, Op.Name, TMessage{TMessageCode::NoPathToClip, {}});
            else FPath = TPath::Clipped;
            return;
        case C::PathPainting:
            if (FPath == TPath::None)
                Report(TFindingCode::OperatorPlacement, TSeverity::Warning, Offset, Op.Name,
                       TMessage{Op.Name == "n" ? TMessageCode::NoPathToEnd : TMessageCode::NoPathToPaint, {}});
            FPath = TPath::None;
            return;
        default: break;
    }
    // An operator between building a path and painting it is the fault; the
    // path stays for its painting operator.
    if (FPath != TPath::None) misplaced(TMessage{TMessageCode::InsidePath, {}});
    switch (Op.Class) {
        case C::TextShowing:
            // A page starts with no font; a form, with its caller's.
            if (!FFontSet && !FNoFontTold && FForm.empty()) {
                FNoFontTold = true;
                Report(TFindingCode::OperatorPlacement, TSeverity::Error, Offset, Op.Name, TMessage{TMessageCode::NoFontSet, {}});
            }
            [[fallthrough]];
        case C::TextPositioning:
            if (!FInText)
                Report(TFindingCode::TextOutsideTextObject, TSeverity::Error, Offset, Op.Name,
                       TMessage{TMessageCode::OutsideText, {}});
            return;
        case C::SpecialState:
        case C::XObject:
        case C::Shading:
            if (FInText) misplaced(TMessage{TMessageCode::InsideText, {}});
            return;
        case C::InlineImage:
            if (Op.Id != TOperatorId::BI) misplaced(MakeMessage(TMessageCode::InlineImageWithoutBi, std::string(Op.Name)));
            else if (FInText) misplaced(TMessage{TMessageCode::InsideText, {}});
            return;
        case C::Type3:
            if (!FGlyph) misplaced(TMessage{TMessageCode::OutsideType3Glyph, {}});
            else if (FOperatorSeen) misplaced(TMessage{TMessageCode::D0D1NotFirst, {}});
            return;
        default: return;
    }
}

[[gnu::always_inline]] inline void TContentChecker::CheckNesting(const TOperator& Op, int64_t Offset) {
    const auto report = [&](TFindingCode Code, TMessage Message) {
        Report(Code, TSeverity::Error, Offset, Op.Name, std::move(Message));
    };
    switch (Op.Id) {
        case TOperatorId::q:
            if (FSaveDepth++ == 0) {
                FFirstSave = Locate(Offset);
            }
            if (FSaved.size() < MaximumSaved) FSaved.push_back({FFill, FStroke});
            if (FSaveDepth > SaveDepthLimit && !FSaveDepthTold) {
                FSaveDepthTold = true;
                Report(TFindingCode::SaveRestore, TSeverity::Warning, Offset, Op.Name,
                       MakeMessage(TMessageCode::SaveDepthExceeded, SaveDepthLimit));
            }
            return;
        case TOperatorId::Q:
            if (FSaveDepth == 0) return report(TFindingCode::SaveRestore, TMessage{TMessageCode::RestoreWithoutSave, {}});
            if (static_cast<size_t>(FSaveDepth) == FSaved.size()) {
                FFill = FSaved.back().Fill;
                FStroke = FSaved.back().Stroke;
                FSaved.pop_back();
            } else {
                FFill = FStroke = TColourSpace::Unknown();
            }
            --FSaveDepth;
            return;
        case TOperatorId::BT:
            if (FInText) return report(TFindingCode::TextObject, TMessage{TMessageCode::BtInText, {}});
            FInText = true;
            FTextStart = Locate(Offset);
            return;
        case TOperatorId::ET:
            if (!FInText) return report(TFindingCode::TextObject, TMessage{TMessageCode::EtWithoutBt, {}});
            FInText = false;
            return;
        case TOperatorId::BMC:
        case TOperatorId::BDC:
            if (FMarkedDepth++ == 0) {
                FFirstMarked = Locate(Offset);
                FFirstMarkedOperator = Op.Name;
            }
            return;
        case TOperatorId::EMC:
            if (FMarkedDepth == 0) return report(TFindingCode::MarkedContent, TMessage{TMessageCode::EmcWithoutBmc, {}});
            --FMarkedDepth;
            return;
        case TOperatorId::BX:
            if (FCompatibilityDepth++ == 0) {
                FFirstCompatibility = Locate(Offset);
            }
            return;
        case TOperatorId::EX:
            if (FCompatibilityDepth == 0) return report(TFindingCode::Compatibility, TMessage{TMessageCode::ExWithoutBx, {}});
            --FCompatibilityDepth;
            return;
        case TOperatorId::g: FFill = TColourSpace::Device(1); return;
        case TOperatorId::rg: FFill = TColourSpace::Device(3); return;
        case TOperatorId::k: FFill = TColourSpace::Device(4); return;
        case TOperatorId::G: FStroke = TColourSpace::Device(1); return;
        case TOperatorId::RG: FStroke = TColourSpace::Device(3); return;
        case TOperatorId::K: FStroke = TColourSpace::Device(4); return;
        default: return;
    }
}

TDeclaredResource* TContentChecker::UseResource(TResourceCategory Category, const TOperand& Name, int64_t Offset,
                                                std::string_view Op) {
    TLastUses& lasts = FLastUse[static_cast<size_t>(Category)];
    for (const TLastUse& last : lasts.Entries)
        if (last.Resource != nullptr && SameName(last.Name, Name.Text)) return last.Resource;  // marked used already
    if (TDeclaredResource* declared = FResources.Use(Category, Name.Text)) {
        if (declared->Fault != TResourceFault::None) {
            ReportResourceFault(Category, Name, Offset, Op, *declared);
            return nullptr;
        }
        TLastUse& last = lasts.Entries[lasts.Next];
        lasts.Next = (lasts.Next + 1) % LastUses;
        last.Name.assign(Name.Text);
        last.Resource = declared;
        return declared;
    }
    ReportAt(Name, Offset, TFindingCode::UndeclaredResource, Op,
           MakeMessage(TMessageCode::ResourceNotDeclared, std::string(CategoryKey(Category)), PrintableName(Name.Text)));
    return nullptr;
}

void TContentChecker::CheckRange(const TOperand& Value, int64_t Offset, std::string_view Op, int64_t Maximum,
                                 std::string_view Allowed) {
    // The integer is read again from the data, where it still stands.
    if (Value.Located || FScanner == nullptr) return;
    const std::span<const uint8_t> data = FScanner->Data();
    auto at = static_cast<size_t>(Value.Offset);
    const bool negative = at < data.size() && data[at] == '-';
    if (at < data.size() && (data[at] == '+' || data[at] == '-')) ++at;
    int64_t number = 0;
    for (; at < data.size() && data[at] >= '0' && data[at] <= '9' && number <= Maximum; ++at) number = number * 10 + (data[at] - '0');
    if ((negative && number != 0) || number > Maximum)
        ReportAt(Value, Offset, TFindingCode::OperandValue, Op, MakeMessage(TMessageCode::OperandOutOfRange, 1, std::string(Allowed)));
}

void TContentChecker::ReportResourceFault(TResourceCategory Category, const TOperand& Name, int64_t Offset,
                                          std::string_view Op, const TDeclaredResource& Resource) {
    const std::string key(CategoryKey(Category));
    const std::string name = PrintableName(Name.Text);
    ReportAt(Name, Offset, TFindingCode::BadResource, Op,
             Resource.Fault == TResourceFault::Unreadable
                 ? MakeMessage(TMessageCode::ResourceUnreadable, key, name, Resource.Object)
                 : MakeMessage(TMessageCode::ResourceWrongType, key, name, std::string(Resource.FoundKind)));
}

[[gnu::always_inline]] inline void TContentChecker::CheckNames(const TOperator& Op, int64_t Offset) {
    const std::string_view name = Op.Name;
    switch (Op.Id) {
        case TOperatorId::Tf:
            FFontSet = true;
            UseResource(TResourceCategory::Font, Operand(0), Offset, name);
            return;
        case TOperatorId::J:
        case TOperatorId::j: CheckRange(Operand(0), Offset, name, 2, "0, 1, 2"); return;
        case TOperatorId::Tr: CheckRange(Operand(0), Offset, name, 7, "0-7"); return;
        case TOperatorId::ri: {
            // An intent a reader does not know is read as RelativeColorimetric.
            const std::string_view intent = Operand(0).Text;
            if (intent != "RelativeColorimetric" && intent != "AbsoluteColorimetric" && intent != "Perceptual" &&
                intent != "Saturation") {
                const TPlace place = Locate(Offset);
                const TPlace operand = Locate(Operand(0));
                ReportPlace(TFindingCode::OperandValue, TSeverity::Warning, place, name,
                            MakeMessage(TMessageCode::OperandOutOfRange, 1,
                                        "/RelativeColorimetric, /AbsoluteColorimetric, /Perceptual, /Saturation"),
                            operand.Object == place.Object ? operand.Offset : -1);
            }
            return;
        }
        case TOperatorId::gs: UseResource(TResourceCategory::ExtGState, Operand(0), Offset, name); return;
        case TOperatorId::sh: UseResource(TResourceCategory::Shading, Operand(0), Offset, name); return;
        case TOperatorId::BDC:
        case TOperatorId::DP:
            if (Operand(1).Kind == TKind::Name) UseResource(TResourceCategory::Properties, Operand(1), Offset, name);
            return;
        case TOperatorId::Do: {
            const TDeclaredResource* xobject = UseResource(TResourceCategory::XObject, Operand(0), Offset, name);
            if (xobject != nullptr && xobject->Form && FVisitForm) FVisitForm(std::string(Operand(0).Text), *xobject);
            return;
        }
        case TOperatorId::cs:
        case TOperatorId::CS: {
            TColourSpace space;
            if (!BuiltInColourSpace(Operand(0).Text, false, space)) {
                const TDeclaredResource* declared = UseResource(TResourceCategory::ColorSpace, Operand(0), Offset, name);
                space = declared != nullptr ? declared->Space : TColourSpace::Unknown();
            }
            (Op.Id == TOperatorId::cs ? FFill : FStroke) = space;
            return;
        }
        default: return;
    }
}

void TContentChecker::Finish() {
    const auto open = [&](TFindingCode Code, TPlace Place, std::string_view Op, TMessage Message) {
        ReportPlace(Code, TSeverity::Error, Place, Op, std::move(Message));
    };
    // Operands with no operator: where the first of them stands.
    if (FOperandCount > 0)
        open(TFindingCode::Syntax, FKept > 0 ? Locate(Operand(0)) : TPlace{}, "",
             TMessage{TMessageCode::TrailingOperands, {}});
    if (FPath != TPath::None) open(TFindingCode::OperatorPlacement, FPathStart, "", TMessage{TMessageCode::PathNotEnded, {}});
    if (FInText) open(TFindingCode::TextObject, FTextStart, "BT", TMessage{TMessageCode::BtNotClosed, {}});
    if (FSaveDepth > 0) open(TFindingCode::SaveRestore, FFirstSave, "q", MakeMessage(TMessageCode::SaveNotRestored, FSaveDepth));
    if (FMarkedDepth > 0)
        open(TFindingCode::MarkedContent, FFirstMarked, FFirstMarkedOperator,
             MakeMessage(TMessageCode::MarkedNotClosed, FMarkedDepth));
    if (FCompatibilityDepth > 0)
        open(TFindingCode::Compatibility, FFirstCompatibility, "BX", MakeMessage(TMessageCode::BxNotClosed, FCompatibilityDepth));
    ClearOperands();
}

}  // namespace lumerra::check
