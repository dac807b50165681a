#include "cli/MessageText.h"

#include <libintl.h>

#include <array>
#include <clocale>
#include <filesystem>

#include "common/Exceptions.h"

// Marks a msgid for xgettext without translating it where it stands.
#define N_(Text) Text

namespace lumerra::cli {

namespace {

struct TEnglish {
    TMessageCode Code;
    const char* Text;
};

using M = TMessageCode;

// In the enum's order (checked below).
constexpr std::array<TEnglish, MessageCodeCount> English{{
    {M::Uncoded, "{1}"},
    {M::FileEnds, N_("The file ends too early.")},
    {M::FileDamaged, N_("This file is damaged.")},
    {M::NotPdf, N_("This file is not a PDF file.")},
    {M::UnsupportedFormat, N_("This file's format is not supported.")},
    // xgettext:no-c-format
    {M::NoEof, N_("There is no %%EOF.")},
    {M::NoStartXref, N_("There is no startxref.")},
    {M::XrefOffsetUnreadable, N_("The position of the cross-reference table could not be read.")},
    {M::XrefOffsetInvalid, N_("The position of the cross-reference table is invalid.")},
    {M::XrefFirstInvalid, N_("The first object number of the cross-reference table is invalid.")},
    {M::XrefCountInvalid, N_("The number of entries of the cross-reference table is invalid.")},
    {M::TrailerInvalid, N_("The trailer is invalid.")},
    {M::RootFailed, N_("The /Root of the trailer could not be read.")},
    {M::PrevFailed, N_("The /Prev of the trailer could not be read.")},
    {M::InfoFailed, N_("The /Info of the trailer could not be read.")},
    {M::NoRoot, N_("The document catalog could not be found.")},
    {M::NoFirstPages, N_("The root of the page tree could not be found.")},
    {M::NoPageTree, N_("The whole file was searched, but no page tree was found.")},
    {M::NoPages, N_("There is no page tree.")},
    {M::ObjectIdInvalid, N_("The object number is invalid.")},
    {M::StreamInvalid, N_("The stream is invalid.")},
    {M::TableRebuilt, N_("The cross-reference table was rebuilt ({1} objects found).")},
    {M::ObjectMisplaced, N_("object {1}: offset {2} holds object {3}")},
    {M::NoEndstream, N_("no endstream after its data (offset {1})")},
    {M::CannotOpenFile, N_("Cannot open file \"{1}\". {2}")},
    {M::ReadError, N_("Stream read error")},
    {M::EncryptionDamaged, N_("The encryption dictionary is damaged.")},
    {M::UnsupportedHandler, N_("This security handler is not supported.")},
    {M::UnsupportedMethod, N_("This encryption method is not supported.")},
    {M::PermsMissing, N_("The encryption dictionary has no /Perms.")},
    {M::PermsMismatch, N_("The /Perms of the encryption dictionary do not match /P.")},
    {M::WrongPassword, N_("The password is not correct.")},
    {M::FlateFailed, N_("Flate data could not be inflated completely.")},
    {M::RunLengthFailed, N_("RunLength data could not be decoded completely.")},
    {M::LzwFailed, N_("LZW data could not be decoded completely.")},
    {M::PredictorFailed, N_("The predictor could not be undone completely.")},
    {M::AsciiHexFailed, N_("ASCIIHex data could not be decoded completely.")},
    {M::Ascii85Failed, N_("ASCII85 data could not be decoded completely.")},
    {M::FilterOutputCut, N_("A filter gave more than the next one takes: the rest was not decoded.")},
    {M::UnusableDocument, N_("This document cannot be used.")},
    {M::NoAnalyst, N_("No document was given.")},
    {M::IndexInvalid, N_("The index is invalid. [ {1} ]")},
    {M::ListIndexInvalid, N_("The list index is out of range ({1})")},
    {M::FileInUse, N_("This file is in use. Save under another name.")},
    {M::NoSaveFolder, N_("The folder to save in was not found.")},
    {M::CannotCreateReport, N_("The report cannot be created.")},
    {M::WriteFailed, N_("Writing failed.")},
    {M::CannotCreateFolder, N_("The output folder cannot be created.")},
    {M::Cancelled, N_("Cancelled.")},
    {M::PageRangeInvalid, N_("The page range is invalid.")},
    {M::PasswordFileUnreadable, N_("The password file cannot be read.")},
    {M::UnterminatedString, N_("The string is not closed.")},
    {M::UnterminatedHexString, N_("The hexadecimal string is not closed.")},
    {M::BadHexString, N_("The hexadecimal string holds a byte that is not a hexadecimal digit.")},
    {M::UnexpectedParenthesis, N_("A ) without its (.")},
    {M::UnexpectedAngle, N_("A > without its <.")},
    {M::UnreadableByte, N_("An unreadable byte.")},
    {M::UnexpectedArrayClose, N_("A ] without its [.")},
    {M::UnexpectedDictClose, N_("A >> without its <<.")},
    {M::BracesInContent, N_("A content stream cannot hold { }.")},
    {M::ArrayNotClosed, N_("The array is not closed.")},
    {M::DictNotClosed, N_("The dictionary is not closed.")},
    {M::DictClosedByBracket, N_("A dictionary is closed by ].")},
    {M::ArrayClosedByAngles, N_("An array is closed by >>.")},
    {M::UnknownOperator, N_("Unknown operator.")},
    {M::OperandCountWrong, N_("It takes {1} operands but has {2}.")},
    {M::OperandMustBeNumber, N_("Operand {1} must be a number.")},
    {M::OperandMustBeInteger, N_("Operand {1} must be an integer.")},
    {M::OperandMustBeName, N_("Operand {1} must be a name.")},
    {M::OperandMustBeString, N_("Operand {1} must be a string.")},
    {M::OperandMustBeArray, N_("Operand {1} must be an array.")},
    {M::OperandMustBeNameOrDict, N_("Operand {1} must be a name or a dictionary.")},
    {M::TjItems, N_("The array of TJ may hold only strings and numbers.")},
    {M::ColourComponentsWrong, N_("The colour takes {1} components but has {2}.")},
    {M::PatternNameOutsidePattern, N_("A pattern name is allowed only in a pattern colour space.")},
    {M::PatternNameNeeded, N_("A pattern colour space needs a pattern name.")},
    {M::PatternNeedsScn, N_("A pattern colour space takes SCN or scn.")},
    {M::PathInText, N_("A path cannot be drawn inside a text object.")},
    {M::NoCurrentPoint, N_("There is no current point (m or re must come first).")},
    {M::NoPathToClip, N_("There is no path to clip.")},
    {M::NoPathToEnd, N_("There is no path to end.")},
    {M::NoPathToPaint, N_("There is no path to paint.")},
    {M::InsidePath, N_("Not allowed between building a path and painting it.")},
    {M::OutsideText, N_("Not allowed outside a text object (BT to ET).")},
    {M::InsideText, N_("Not allowed inside a text object.")},
    {M::InlineImageWithoutBi, N_("{1} without BI.")},
    {M::OutsideType3Glyph, N_("Not allowed outside the glyph of a Type 3 font.")},
    {M::SaveDepthExceeded, N_("q is nested deeper than {1} levels.")},
    {M::RestoreWithoutSave, N_("Q without its q.")},
    {M::BtInText, N_("BT inside a text object.")},
    {M::EtWithoutBt, N_("ET without its BT.")},
    {M::EmcWithoutBmc, N_("EMC without its BMC or BDC.")},
    {M::ExWithoutBx, N_("EX without its BX.")},
    {M::ResourceNotDeclared, N_("/{2} is not declared in the resources' /{1}.")},
    {M::ResourceUnused, N_("/{2} of the resources' /{1} is not used.")},
    {M::TrailingOperands, N_("The content ends with operands without an operator.")},
    {M::BtNotClosed, N_("BT is not closed by ET.")},
    {M::SaveNotRestored, N_("{1} q not closed by Q.")},
    {M::MarkedNotClosed, N_("{1} BMC or BDC not closed by EMC.")},
    {M::BxNotClosed, N_("{1} BX not closed by EX.")},
    {M::InlineImageNoId, N_("The inline image has no ID.")},
    {M::InlineImageDictEnded, N_("The inline image's dictionary ends before ID ({1}).")},
    {M::InlineImageKeyNotName, N_("A key of the inline image's dictionary is not a name.")},
    {M::InlineImageNoValue, N_("/{1} of the inline image has no value.")},
    {M::InlineImageBadValue, N_("The value of the inline image's /{1} cannot be read.")},
    {M::InlineImageUnknownKey, N_("The inline image's dictionary has an unknown key /{1}.")},
    {M::InlineImageNotCount, N_("/{1} of the inline image must be an integer of 0 or more.")},
    {M::InlineImageBadColourSpace, N_("The inline image's colour space is neither a name nor an array.")},
    {M::InlineImageBadFilter, N_("This filter cannot be used by an inline image.")},
    {M::InlineImageNoWidth, N_("The inline image has no /W (width).")},
    {M::InlineImageNoHeight, N_("The inline image has no /H (height).")},
    {M::InlineImageNoBits, N_("The inline image has no /BPC (bits per component).")},
    {M::InlineImageNoColourSpace, N_("The inline image has no /CS (colour space).")},
    {M::InlineImageNoEiAfterLength, N_("There is no EI after the {1} bytes of the inline image's /L.")},
    {M::InlineImageLengthMismatch, N_("The inline image's data does not match the {1} bytes its size, components and bits give.")},
    {M::InlineImageNoEnd, N_("The end of the inline image (EI) was not found.")},
    {M::InlineImageDecodeNotNumbers, N_("The inline image's /Decode must be an array of numbers, two for each component.")},
    {M::InlineImageDecodeCount, N_("The inline image's /Decode must hold {1} numbers for its colour space.")},
    {M::InlineImageDecodeParmsNotDictionary, N_("The inline image's /DecodeParms must be a dictionary.")},
    {M::InlineImageDecodeParmsNotPerFilter, N_("The inline image's /DecodeParms must be an array of {1} dictionaries, one for each filter.")},
    {M::ResourceUnreadable, N_("/{2} of the resources' /{1} refers to object {3}, which cannot be read.")},
    {M::ResourceWrongType, N_("/{2} of the resources' /{1} is of the wrong type ({3}).")},
    {M::PathNotEnded, N_("The content ends inside a path that no operator painted or ended.")},
    {M::NoFontSet, N_("No font is set: Tf must come before text is shown.")},
    {M::OperandOutOfRange, N_("Operand {1} must be one of {2}.")},
    {M::StreamFilterUnknown, N_("The stream was not checked: its filter {1} cannot be decoded.")},
    {M::StreamDamaged, N_("The stream was checked only up to byte {2}: {1}")},
    {M::StreamUnreadable, N_("The stream was not checked: {1}")},
    {M::NotAStream, N_("The content is not a stream, and was not checked.")},
    {M::NoCatalog, N_("No page was checked: the document's catalog could not be read.")},
    {M::NoPageTreeRoot, N_("No page was checked: the catalog has no page tree (/Pages).")},
    {M::PageTreeEmpty, N_("No page was checked: no page was found in the page tree.")},
    {M::GlyphNeedsD0D1, N_("A glyph procedure must begin with d0 or d1.")},
    {M::D0D1NotFirst, N_("d0 or d1 may stand only at the start of a glyph procedure.")},
    {M::FindingsOmitted, N_("{1} more findings were left out.")},
    {M::SignatureRangeUnreadable, N_("The /ByteRange of the signature cannot be read.")},
    {M::SignatureRangeNotFromStart, N_("The signed range does not start at the beginning of the file.")},
    {M::SignatureRangePastEnd, N_("The signed range runs past the end of the file.")},
    {M::SignatureRangeNoRevisionEnd, N_("The signed range does not end where a revision ends.")},
    {M::SignatureRangeGap, N_("Between the signed ranges there are bytes other than the /Contents string.")},
    {M::ShadowHide, N_("A later revision covers or hides signed content.")},
    {M::ShadowReplace, N_("A later revision replaces a font, image, appearance or field value that was signed.")},
    {M::ShadowHideAndReplace, N_("A later revision points the pages at objects that could not be reached when signed.")},
    {M::UnreachableAtSigning, N_("The signed revision holds objects that its catalog cannot reach.")},
    {M::EvilAnnotation, N_("An annotation that paints over the page was added after a certification that allows annotations.")},
    {M::SneakySignature, N_("A visible signature field was added after a certification.")},
    {M::EncryptedLeftLocked, N_("The file is encrypted and the password does not open it ({1}): only its cross-reference sections, which are not encrypted, are read, and objects are compared by where they are stored.")},
    {M::RevisionsFromMarkers, N_("The cross-reference chain cannot be followed ({1}): the revisions are the sections named by the startxref before each %%EOF.")},
    {M::TableFoundBeforeMarker, N_("The startxref names offset {1}, where no cross-reference section begins: the table found at offset {2}, before the same %%EOF, is taken.")},
    {M::ObjectNotHeld, N_("The file does not hold object {1}.")},
    {M::PageNotHeld, N_("The document has no page {1}.")},
    {M::PathKeyMissing, N_("{1} has no key {2}.")},
    {M::PathIndexMissing, N_("{1} has no item {2}.")},
    {M::PathNotContainer, N_("{1} is neither a dictionary nor an array.")},
    {M::ObjectKeyMissing, N_("The required key {1} is missing.")},
    {M::ObjectWrongType, N_("The value is {1}, none of {2}.")},
    {M::ObjectNotIndirect, N_("The value must be an indirect reference.")},
    {M::ObjectNotDirect, N_("The value must be a direct object.")},
    {M::ObjectValueNotAllowed, N_("The value {1} is not allowed ({2}).")},
    {M::ObjectArrayTooShort, N_("The array has {1} elements; it needs at least {2}.")},
    {M::ObjectArrayTooLong, N_("The array has {1} elements; it may have at most {2}.")},
    {M::ObjectArrayCondition, N_("The array's length fails {1}.")},
    {M::ObjectNewerThanFile, N_("{1} came with PDF {2}; the file is PDF {3}.")},
    {M::ObjectDeprecated, N_("{1} is deprecated since PDF {2}.")},
    {M::ObjectUnknownKey, N_("The key {1} is not defined for {2}.")},
    {M::ObjectSecondClassKey, N_("The key {1} is a second-class name not defined for {2}.")},
    {M::ObjectConditionFails, N_("The condition {1} fails.")},
    {M::ObjectNoTypeFits, N_("None of the types {1} fits.")},
    {M::ObjectTypesTie, N_("The types {1} fit equally; none was chosen.")},
    {M::FileTimedOut, N_("The file was not read within {1} s.")},
    {M::FileMemoryLimit, N_("Reading the file needed more than the memory limit ({1} MiB).")},
    {M::WorkerCrashed, N_("The process reading the file ended by signal {1}.")},
}};

constexpr bool InEnumOrder() {
    for (size_t i = 0; i < English.size(); ++i)
        if (static_cast<size_t>(English[i].Code) != i) return false;
    return true;
}
static_assert(InEnumOrder(), "one English text per code, in the enum's order");

std::string CatalogueFolder() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        const std::filesystem::path beside = program.parent_path().parent_path() / "share" / "locale";
        if (std::filesystem::is_directory(beside, error)) return beside.string();
    }
    return LUMERRA_LOCALEDIR;
}

}  // namespace

void UseUserLocale() {
    // Only the messages: numbers, character classes and sorting stay C, as
    // the core reads PDF files by bytes.
    std::setlocale(LC_MESSAGES, "");
    bindtextdomain(TextDomain, CatalogueFolder().c_str());
    bind_textdomain_codeset(TextDomain, "UTF-8");
    textdomain(TextDomain);
}

std::string_view EnglishTemplate(TMessageCode Code) {
    const auto index = static_cast<size_t>(Code);
    return English[index < English.size() ? index : 0].Text;
}

std::string Sentence(const TMessage& Message) {
    if (Message.Code == TMessageCode::Uncoded) return Message.Args.empty() ? std::string() : Message.Args[0];
    return FillTemplate(dgettext(TextDomain, EnglishTemplate(Message.Code).data()), ArgsWithReasons(Message, Sentence));
}

std::string ErrorSentence(const std::exception& Error) { return Sentence(MessageOf(Error)); }

std::string_view ErrorCode(const std::exception& Error) { return CodeName(MessageOf(Error).Code); }

}  // namespace lumerra::cli
