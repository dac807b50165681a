// What the core tells the user, as data: a stable code and its parameters.
// The front ends make the sentence; the Japanese texts the desktop program
// and the default reading have always shown live here, once, so that every
// front end and the Japanese catalogue can be held to them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace lumerra {

enum class TMessageCode : uint16_t {
    Uncoded,  // an error that carries no code: its text is shown as it is
    // Reading the file
    FileEnds,
    FileDamaged,
    NotPdf,
    UnsupportedFormat,
    NoEof,
    NoStartXref,
    XrefOffsetUnreadable,
    XrefOffsetInvalid,
    XrefFirstInvalid,
    XrefCountInvalid,
    TrailerInvalid,
    RootFailed,
    PrevFailed,
    InfoFailed,
    NoRoot,
    NoFirstPages,
    NoPageTree,
    NoPages,
    ObjectIdInvalid,
    StreamInvalid,
    TableRebuilt,
    ObjectMisplaced,
    NoEndstream,
    CannotOpenFile,
    ReadError,
    // Encryption
    EncryptionDamaged,
    UnsupportedHandler,
    UnsupportedMethod,
    PermsMissing,
    PermsMismatch,
    WrongPassword,
    // Decoding
    FlateFailed,
    RunLengthFailed,
    LzwFailed,
    PredictorFailed,
    AsciiHexFailed,
    Ascii85Failed,
    FilterOutputCut,
    UnusableDocument,
    NoAnalyst,
    IndexInvalid,
    ListIndexInvalid,
    // Writing
    FileInUse,
    NoSaveFolder,
    CannotCreateReport,
    WriteFailed,
    CannotCreateFolder,
    // The run
    Cancelled,
    PageRangeInvalid,
    PasswordFileUnreadable,
    // The content check
    UnterminatedString,
    UnterminatedHexString,
    BadHexString,
    UnexpectedParenthesis,
    UnexpectedAngle,
    UnreadableByte,
    UnexpectedArrayClose,
    UnexpectedDictClose,
    BracesInContent,
    ArrayNotClosed,
    DictNotClosed,
    DictClosedByBracket,
    ArrayClosedByAngles,
    UnknownOperator,
    OperandCountWrong,
    OperandMustBeNumber,
    OperandMustBeInteger,
    OperandMustBeName,
    OperandMustBeString,
    OperandMustBeArray,
    OperandMustBeNameOrDict,
    TjItems,
    ColourComponentsWrong,
    PatternNameOutsidePattern,
    PatternNameNeeded,
    PatternNeedsScn,
    PathInText,
    NoCurrentPoint,
    NoPathToClip,
    NoPathToEnd,
    NoPathToPaint,
    InsidePath,
    OutsideText,
    InsideText,
    InlineImageWithoutBi,
    OutsideType3Glyph,
    SaveDepthExceeded,
    RestoreWithoutSave,
    BtInText,
    EtWithoutBt,
    EmcWithoutBmc,
    ExWithoutBx,
    ResourceNotDeclared,
    ResourceUnused,
    TrailingOperands,
    BtNotClosed,
    SaveNotRestored,
    MarkedNotClosed,
    BxNotClosed,
    InlineImageNoId,
    InlineImageDictEnded,
    InlineImageKeyNotName,
    InlineImageNoValue,
    InlineImageBadValue,
    InlineImageUnknownKey,
    InlineImageNotCount,
    InlineImageBadColourSpace,
    InlineImageBadFilter,
    InlineImageNoWidth,
    InlineImageNoHeight,
    InlineImageNoBits,
    InlineImageNoColourSpace,
    InlineImageNoEiAfterLength,
    InlineImageLengthMismatch,
    InlineImageNoEnd,
    InlineImageDecodeNotNumbers,
    InlineImageDecodeCount,
    InlineImageDecodeParmsNotDictionary,
    InlineImageDecodeParmsNotPerFilter,
    ResourceUnreadable,
    ResourceWrongType,
    PathNotEnded,
    NoFontSet,
    OperandOutOfRange,
    StreamFilterUnknown,
    StreamDamaged,
    StreamUnreadable,
    NotAStream,
    NoCatalog,
    NoPageTreeRoot,
    PageTreeEmpty,
    GlyphNeedsD0D1,
    D0D1NotFirst,
    FindingsOmitted,
    // Signatures
    SignatureRangeUnreadable,
    SignatureRangeNotFromStart,
    SignatureRangePastEnd,
    SignatureRangeNoRevisionEnd,
    SignatureRangeGap,
    ShadowHide,
    ShadowReplace,
    ShadowHideAndReplace,
    UnreachableAtSigning,
    EvilAnnotation,
    SneakySignature,
    // Revisions
    EncryptedLeftLocked,
    RevisionsFromMarkers,
    TableFoundBeforeMarker,
    // Showing objects
    ObjectNotHeld,
    PageNotHeld,
    PathKeyMissing,
    PathIndexMissing,
    PathNotContainer,
    // Objects checked against the object model
    ObjectKeyMissing,
    ObjectWrongType,
    ObjectNotIndirect,
    ObjectNotDirect,
    ObjectValueNotAllowed,
    ObjectArrayTooShort,
    ObjectArrayTooLong,
    ObjectArrayCondition,
    ObjectNewerThanFile,
    ObjectDeprecated,
    ObjectUnknownKey,
    ObjectSecondClassKey,
    ObjectConditionFails,
    ObjectNoTypeFits,
    ObjectTypesTie,
    // Pipeline runs: what ended the reading of one file
    FileTimedOut,
    FileMemoryLimit,
    WorkerCrashed,
    Last = WorkerCrashed
};

inline constexpr size_t MessageCodeCount = static_cast<size_t>(TMessageCode::Last) + 1;

// A message: its code and the parameters its sentence takes, in order.
// A parameter may itself be a message (the reason a stream is damaged): it
// stays a message, so that each front end makes its sentence in the same
// language as the sentence around it.
struct TMessage {
    TMessage(TMessageCode Code = TMessageCode::Uncoded, std::vector<std::string> Args = {})
        : Code(Code), Args(std::move(Args)) {}

    TMessageCode Code = TMessageCode::Uncoded;
    std::vector<std::string> Args;
    // Reasons[k] fills the parameter ReasonSlots[k]; Args holds "" there.
    std::vector<TMessage> Reasons;
    std::vector<size_t> ReasonSlots;

    bool operator==(const TMessage&) const = default;
};

// Numbers become their decimal digits, messages stay messages, anything else
// a string.
template <typename... TArgs>
TMessage MakeMessage(TMessageCode Code, TArgs&&... Args) {
    TMessage message(Code);
    message.Args.reserve(sizeof...(Args));
    const auto add = [&message](auto&& Arg) {
        using TArg = std::decay_t<decltype(Arg)>;
        if constexpr (std::is_same_v<TArg, TMessage>) {
            message.ReasonSlots.push_back(message.Args.size());
            message.Reasons.emplace_back(std::forward<decltype(Arg)>(Arg));
            message.Args.emplace_back();
        } else if constexpr (std::is_arithmetic_v<TArg>) {
            message.Args.push_back(std::to_string(Arg));
        } else {
            message.Args.emplace_back(std::forward<decltype(Arg)>(Arg));
        }
    };
    (add(std::forward<TArgs>(Args)), ...);
    return message;
}

// The code as scripts see it: kebab-case, never changed once released
// ("xref-offset-invalid").
std::string_view CodeName(TMessageCode Code);

// The Japanese sentence with its parameters as {1}, {2}, ...
std::string_view JapaneseTemplate(TMessageCode Code);

// Template with {N} replaced by the N-th of Args (from 1). A {N} past the
// end of Args is left as it is.
std::string FillTemplate(std::string_view Template, const std::vector<std::string>& Args);

// Message's parameters as text, each reason made a sentence by Sentence.
template <typename TSentence>
std::vector<std::string> ArgsWithReasons(const TMessage& Message, const TSentence& Sentence) {
    std::vector<std::string> args = Message.Args;
    for (size_t k = 0; k < Message.Reasons.size() && k < Message.ReasonSlots.size(); ++k)
        if (Message.ReasonSlots[k] < args.size()) args[Message.ReasonSlots[k]] = Sentence(Message.Reasons[k]);
    return args;
}

// The Japanese sentence of Message. An uncoded message's text is its
// first parameter.
std::string JapaneseText(const TMessage& Message);

}  // namespace lumerra
