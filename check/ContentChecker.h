// Checks a sequence of content streams (a page's /Contents, or one form)
// operator by operator: operands, nesting, where each operator stands, the
// resource names it uses, inline images and the syntax of the bytes.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "check/Finding.h"
#include "check/OperatorTable.h"
#include "check/ResourceNames.h"
#include "syntax/Scanner.h"

namespace lumerra::check {

// One stream of a joined content: where its bytes start in the joined data.
struct TContentPart {
    int64_t Start = 0;
    int32_t Object = -1;
};

class TContentChecker {
public:
    // Called for "Do" with a declared form, to check the form in turn.
    using TFormVisitor = std::function<void(const std::string& Name, const TDeclaredResource& Form)>;

    // Findings go to Findings with Form as their form name (empty for a
    // page). On a page the colour spaces start as DeviceGray; a form starts
    // with what its caller had, which is not known here.
    TContentChecker(TResourceNames& Resources, TPageFindings& Findings, std::string Form = {});

    void SetFormVisitor(TFormVisitor Visitor) { FVisitForm = std::move(Visitor); }
    // A Type 3 glyph procedure: d0 or d1 must come first, and only there.
    void SetGlyph() { FGlyph = true; }
    // The stream's kind and name on every finding (a pattern's cell, an
    // annotation's appearance).
    void SetStream(TStreamKind Kind, std::string Name) {
        FStream = Kind;
        FStreamName = std::move(Name);
    }

    // The next stream of the sequence, object Object, decoded. State goes
    // on from one stream to the next, as a page's /Contents is one sequence.
    void Check(std::span<const uint8_t> Data, int32_t Object);
    // Streams joined into one content, which may split a token sequence
    // anywhere between tokens (a page's /Contents array). Findings name the
    // part's object and the offset inside that part.
    void Check(std::span<const uint8_t> Data, std::span<const TContentPart> Parts);
    // The end of the sequence: what was left open.
    void Finish();

    // q inside q beyond this is told as a warning: viewers need not go
    // deeper (the limit readers of PDF have kept since its first versions).
    static constexpr int32_t SaveDepthLimit = 28;

private:
    enum class TKind : uint8_t { Integer, Real, Name, String, Array, Dictionary, Boolean, Null };
    static constexpr uint32_t KindBit(TKind Kind) { return uint32_t{1} << static_cast<uint8_t>(Kind); }
    // The kinds an operand letter of the operator table accepts, as KindBits.
    static constexpr uint32_t Accepted(char Letter) {
        switch (Letter) {
            case 'n': return KindBit(TKind::Integer) | KindBit(TKind::Real);
            case 'i': return KindBit(TKind::Integer);
            case '/': return KindBit(TKind::Name);
            case 's': return KindBit(TKind::String);
            case 'a': return KindBit(TKind::Array);
            default: return KindBit(TKind::Name) | KindBit(TKind::Dictionary);
        }
    }
    // Accepted for each letter, looked up rather than switched on: letters
    // come in no order a branch could learn.
    static const std::array<uint8_t, 128> AcceptedKinds;
    // Where a finding stands: a part's object and the offset inside it.
    struct TPlace {
        int32_t Object = -1;
        int64_t Offset = -1;
    };
    struct TOperand {
        TKind Kind = TKind::Null;
        int64_t Offset = 0;      // in the data being read, or in its part once Located
        int32_t Object = -1;     // once Located: operands may be left for the next call's operator
        bool Located = false;
        std::string_view Text;   // a name's decoded bytes: in the stream's data, or in Decoded
        std::string Decoded;     // a name written with "#", or one kept past the end of its stream
        bool TextItems = true;   // an array of numbers and strings only (TJ)
    };
    enum class TPath : uint8_t { None, Building, Clipped };
    struct TSaved {
        TColourSpace Fill, Stroke;
    };

    TPlace Locate(int64_t Offset) const;
    TPlace Locate(const TOperand& Operand) const;
    // Offset is in the data being read.
    void Report(TFindingCode Code, TSeverity Severity, int64_t Offset, std::string_view Operator, TMessage Message);
    void ReportPlace(TFindingCode Code, TSeverity Severity, TPlace Place, std::string_view Operator, TMessage Message,
                     int64_t OperandOffset = -1);
    // A finding about an operand of the operator at Offset.
    void ReportAt(const TOperand& Operand, int64_t Offset, TFindingCode Code, std::string_view Operator,
                  TMessage Message);
    void Push(TKind Kind, int64_t Offset, bool TextItems = true);
    void PushName(const TScanToken& Name);
    void ClearOperands();
    // Names kept as operands point into the stream's data: they are copied
    // before it goes.
    void KeepNames();
    // An array or dictionary opened at Open; reads to its end.
    void ReadComposite(const TScanToken& Open);
    void Operator(const TScanToken& Token);
    void CheckInlineImage(int64_t Offset);
    bool CheckOperands(const TOperator& Op, int64_t Offset);
    void CheckColour(const TOperator& Op, int64_t Offset);
    void CheckPlacement(const TOperator& Op, int64_t Offset, bool OperandsFit);
    void CheckNesting(const TOperator& Op, int64_t Offset);
    void CheckNames(const TOperator& Op, int64_t Offset);
    // An integer operand of 0 to Maximum (line caps, joins, text rendering modes).
    void CheckRange(const TOperand& Value, int64_t Offset, std::string_view Op, int64_t Maximum, std::string_view Allowed);
    void ReportResourceFault(TResourceCategory Category, const TOperand& Name, int64_t Offset, std::string_view Op,
                             const TDeclaredResource& Resource);
    // Name of Category must be declared; returns it (marked used) or null.
    TDeclaredResource* UseResource(TResourceCategory Category, const TOperand& Name, int64_t Offset, std::string_view Op);
    const TOperand& Operand(size_t I) const { return FOperands[I]; }

    TResourceNames& FResources;
    // The last resources found in each category: a page names the same few
    // fonts and colour spaces over and over, often in turn.
    struct TLastUse {
        std::string Name;
        TDeclaredResource* Resource = nullptr;
    };
    static constexpr size_t LastUses = 4;
    struct TLastUses {
        std::array<TLastUse, LastUses> Entries;
        size_t Next = 0;  // the entry replaced next
    };
    std::array<TLastUses, ResourceCategoryCount> FLastUse;
    TPageFindings& FFindings;
    std::string FForm;
    TStreamKind FStream = TStreamKind::None;
    std::string FStreamName;
    TFormVisitor FVisitForm;

    TScanner* FScanner = nullptr;
    std::vector<TContentPart> FParts;  // of the data being read
    TScanToken FToken;
    // Operands kept for checking; more are only counted (no operator takes
    // more than a DeviceN colour's 32 components and a name).
    static constexpr size_t MaximumKept = 40;
    std::array<TOperand, MaximumKept> FOperands;  // in place, for names that point into them
    size_t FKept = 0;
    int64_t FOperandCount = 0;
    std::vector<uint8_t> FComposite;  // the open brackets of an array or dictionary being read

    // The state of the sequence.
    int32_t FSaveDepth = 0;
    bool FSaveDepthTold = false;
    TPlace FFirstSave;
    std::vector<TSaved> FSaved;
    bool FInText = false;
    TPlace FTextStart;
    int64_t FMarkedDepth = 0;
    TPlace FFirstMarked;
    std::string_view FFirstMarkedOperator;
    int64_t FCompatibilityDepth = 0;
    TPlace FFirstCompatibility;
    bool FGlyph = false;
    bool FOperatorSeen = false;
    bool FFontSet = false;
    bool FNoFontTold = false;
    TPath FPath = TPath::None;
    TPlace FPathStart;
    TColourSpace FFill, FStroke;
};

}  // namespace lumerra::check
