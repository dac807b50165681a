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

class TContentChecker {
public:
    // Called for "Do" with a declared form, to check the form in turn.
    using TFormVisitor = std::function<void(const std::string& Name, const TDeclaredResource& Form)>;

    // Findings go to Findings with Form as their form name (empty for a
    // page). On a page the colour spaces start as DeviceGray; a form starts
    // with what its caller had, which is not known here.
    TContentChecker(TResourceNames& Resources, TPageFindings& Findings, std::string Form = {});

    void SetFormVisitor(TFormVisitor Visitor) { FVisitForm = std::move(Visitor); }

    // The next stream of the sequence, object Object, decoded. State goes
    // on from one stream to the next, as a page's /Contents is one sequence.
    void Check(std::span<const uint8_t> Data, int32_t Object);
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
    struct TOperand {
        TKind Kind = TKind::Null;
        int64_t Offset = 0;
        int32_t Object = -1;     // the stream it stands in: a page's operands may precede their operator's stream
        std::string_view Text;   // a name's decoded bytes: in the stream's data, or in Decoded
        std::string Decoded;     // a name written with "#", or one kept past the end of its stream
        bool TextItems = true;   // an array of numbers and strings only (TJ)
    };
    enum class TPath : uint8_t { None, Building, Clipped };
    struct TSaved {
        TColourSpace Fill, Stroke;
    };

    void Report(TFindingCode Code, TSeverity Severity, int64_t Offset, std::string_view Operator, TMessage Message);
    // A finding about an operand, placed where the operand stands.
    void ReportAt(const TOperand& Operand, TFindingCode Code, std::string_view Operator, TMessage Message);
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
    void CheckPlacement(const TOperator& Op, int64_t Offset);
    void CheckNesting(const TOperator& Op, int64_t Offset);
    void CheckNames(const TOperator& Op, int64_t Offset);
    // Name of Category must be declared; returns it (marked used) or null.
    TDeclaredResource* UseResource(TResourceCategory Category, const TOperand& Name, std::string_view Op);
    const TOperand& Operand(size_t I) const { return FOperands[I]; }

    TResourceNames& FResources;
    // The last resource found in each category: a page names the same font
    // and colour space over and over.
    struct TLastUse {
        std::string Name;
        TDeclaredResource* Resource = nullptr;
    };
    std::array<TLastUse, ResourceCategoryCount> FLastUse;
    TPageFindings& FFindings;
    std::string FForm;
    TFormVisitor FVisitForm;

    TScanner* FScanner = nullptr;
    int32_t FObject = -1;
    TScanToken FToken;
    std::vector<TOperand> FOperands;  // the first MaximumKept of them, never reallocated (names may point into them)
    size_t FKept = 0;
    int64_t FOperandCount = 0;
    std::vector<uint8_t> FComposite;  // the open brackets of an array or dictionary being read

    // The state of the sequence.
    int32_t FSaveDepth = 0;
    bool FSaveDepthTold = false;
    int64_t FFirstSave = -1;
    int32_t FFirstSaveObject = -1;
    std::vector<TSaved> FSaved;
    bool FInText = false;
    int64_t FTextStart = -1;
    int32_t FTextObject = -1;
    int64_t FMarkedDepth = 0;
    int64_t FFirstMarked = -1;
    int32_t FFirstMarkedObject = -1;
    int64_t FCompatibilityDepth = 0;
    int64_t FFirstCompatibility = -1;
    int32_t FFirstCompatibilityObject = -1;
    TPath FPath = TPath::None;
    TColourSpace FFill, FStroke;
};

}  // namespace lumerra::check
