// TObjectScanner: the one loop that walks an object body token by token.
//
// Every reader of the file is a handler that looks for its own keys, plus a
// set of rules (TScanOptions) saying what else the loop does with a token.
// The readers' rules differ only where the reports depend on it; each
// difference is an option here, and each reader's choice says why.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "common/Exceptions.h"
#include "common/Stream.h"
#include "pdf/PDFLexer.h"

namespace lumerra {

class TPDFAnalyst;

// What a handler tells the scan about a token it was shown.
enum class TScanAction {
    Default,  // not taken: the general rules apply
    Handled,  // taken: go on with the next token
    Stop      // end the scan
};

// How a scan opened on an object treats its header "n g obj".
enum class THeaderRule : uint8_t {
    Keep,  // met as ordinary tokens, which no reader's keys can match
    Skip,  // passed over, together with a comment right after it
    Check  // the number must be the object's own, else "オブジェクトIDが不正です。";
           // the generation and "obj" are then met as ordinary tokens
};

// The tokens that end a scan, in any combination.
struct TScanEnds {
    bool Endobj = false;    // "endobj"
    bool Stream = false;    // "stream"
    bool Open = false;      // "<": the first one met
    bool Close = false;     // ">"
    bool ArrayEnd = false;  // "]"
};

// The end a scan reached; Stopped when its handler ended it.
enum class TScanEnd : uint8_t { Stopped, Endobj, Stream, Open, Close, ArrayEnd };

// The rules of one scan. Each token read is first checked against the ends;
// then the handler is shown it; what the handler leaves to the default meets
// the skipping rules, and is otherwise ignored.
struct TScanOptions {
    THeaderRule Header = THeaderRule::Keep;  // for scans opened on an object
    bool SkipStrings = false;                // "(": the literal string is passed over
    bool SkipComments = false;               // "%": the rest of the line is passed over
    bool SkipStreamData = false;             // "/Length" is read; "stream" passes over that many bytes
    TScanEnds EndsAt;
};

// The readers' rules, one set per kind of reader. Columns: where the scan
// starts; the header rule ("-": the scan starts inside an object); what
// becomes of "(" strings, "%" comments and stream data ("token": read as
// tokens like any others); the tokens that end the scan.
//
//   rules                reader                        starts at   header  (      %      data     ends at
//   ResourceOwnerScan    page; page-tree node climbed  the object  skip    skip   skip   token    endobj
//                        for resources; form
//   ResourcesObjectScan  resources object              the object  skip    token  token  token    first "<", endobj
//   DictionaryScan       resources dictionary; inline  after "<<"  -       token  token  token    ">"
//                        category value; a nested one
//                        passed over (after "<")
//   CategoryObjectScan   category object               the object  keep    token  token  token    endobj
//   XObjectSubtypeScan   XObject subtype               the object  keep    skip   skip   token    stream, endobj
//   PageKeyScan          page contents                 the page    keep    skip   skip   token    endobj
//   StreamObjectScan     stream object                 the object  skip    skip   skip   handler  endobj
//   PageTreeScan         catalog; page-tree walk       the object  check   skip   skip   skip     endobj
//   MediaBoxScan         media box                     the node    keep    skip   skip   skip     endobj
//   PageCountScan        page count                    the root    check   token  skip   token    endobj
//   IntegerScan          integer object                the object  skip    token  skip   token    endobj
//   ArrayScan            array object; array value     object/"["  skip/-  token  token  token    "]", endobj
//   ValueScan            single tokens of a value      the value   -       token  token  token    -
//
// Handlers end some scans early: the resource owners once they have read
// /Resources, the contents scan once it has read /Contents, the subtype scan
// at the first key that tells, the page-tree walk at /Page.

// Stream data is read as tokens: a form without /Resources is scanned through
// its data to "endobj", which the reports rely on.
inline constexpr TScanOptions ResourceOwnerScan{
    .Header = THeaderRule::Skip, .SkipStrings = true, .SkipComments = true, .EndsAt = {.Endobj = true}};
// Resources hold names and references only; their scans have always taken
// strings and comments as tokens. The dictionary starts at the first "<".
inline constexpr TScanOptions ResourcesObjectScan{.Header = THeaderRule::Skip,
                                                  .EndsAt = {.Endobj = true, .Open = true}};
// A dictionary ends at its first ">": nesting is followed one level only.
inline constexpr TScanOptions DictionaryScan{.EndsAt = {.Close = true}};
// Every key of the object is an entry; ">" does not end it.
inline constexpr TScanOptions CategoryObjectScan{.EndsAt = {.Endobj = true}};
// The dictionary is over at "stream": no key is looked for in the data.
inline constexpr TScanOptions XObjectSubtypeScan{
    .SkipStrings = true, .SkipComments = true, .EndsAt = {.Endobj = true, .Stream = true}};
// The header is kept: its tokens cannot match the page's keys.
inline constexpr TScanOptions PageKeyScan{.SkipStrings = true, .SkipComments = true, .EndsAt = {.Endobj = true}};
// The handler reads /Length and decodes the data itself.
inline constexpr TScanOptions StreamObjectScan{
    .Header = THeaderRule::Skip, .SkipStrings = true, .SkipComments = true, .EndsAt = {.Endobj = true}};
// The page tree rests on these objects: a table entry pointing elsewhere must
// stop the load. A node that is itself a stream has its data passed over.
inline constexpr TScanOptions PageTreeScan{.Header = THeaderRule::Check,
                                           .SkipStrings = true,
                                           .SkipComments = true,
                                           .SkipStreamData = true,
                                           .EndsAt = {.Endobj = true}};
// As the page tree's, but /Parent and /MediaBox cannot match the header.
inline constexpr TScanOptions MediaBoxScan{.SkipStrings = true,
                                           .SkipComments = true,
                                           .SkipStreamData = true,
                                           .EndsAt = {.Endobj = true}};
// The count has always been read without passing over strings or data.
inline constexpr TScanOptions PageCountScan{
    .Header = THeaderRule::Check, .SkipComments = true, .EndsAt = {.Endobj = true}};
// No string stands before an integer object's number.
inline constexpr TScanOptions IntegerScan{
    .Header = THeaderRule::Skip, .SkipComments = true, .EndsAt = {.Endobj = true}};
// An array of references or names: every token up to its end.
inline constexpr TScanOptions ArrayScan{.Header = THeaderRule::Skip, .EndsAt = {.Endobj = true, .ArrayEnd = true}};
// No loop: Next and TakeSecond read a value's tokens.
inline constexpr TScanOptions ValueScan{};

class TObjectScanner {
public:
    // The one way to an object: positions the analyser's stream on the body
    // of object ID, dealing with its header as Options say. Raises
    // "オブジェクトIDが不正です。" when the table holds no usable entry for ID.
    // The caller saves and restores the stream's position.
    static TObjectScanner OpenObject(TPDFAnalyst& Analyst, int32_t ID, const TScanOptions& Options);
    // A scan from where S stands: a value inside object Object (-1 when not
    // known). The header rule does not apply.
    TObjectScanner(TPDFAnalyst& Analyst, TStream& S, const TScanOptions& Options, int32_t Object = -1);

    // Reads tokens up to an end, or until Handler (called with a const
    // TToken&) answers Stop. A scan that runs into the end of the data raises
    // EDamagedInput ("ファイルが途中で終わっています。") naming where it began.
    template <class THandler>
    TScanEnd Run(THandler&& Handler);
    // Passes over every token up to an end.
    TScanEnd Run() {
        return Run([](const TToken&) { return TScanAction::Default; });
    }

    // The next token, as a handler reads a key's value: no rule applies to it.
    const TToken& Next();
    // After a "<" or ">" token: consumes the next byte when it repeats the
    // bracket, as in "<<" and ">>", and tells whether it did. Any other byte
    // (a hexadecimal string's first digit, say) stays unread.
    bool TakeSecond(char Bracket);
    // Passes over one byte, whatever it is.
    void PassByte() { FStream.Seek(1, TSeekOrigin::soCurrent); }
    // Every token read from here on is counted in Counter as well.
    void CountInto(int64_t& Counter) { FCounter = &Counter; }

    // What the scan reads: the file. Readers of a key's value read from here.
    TStream& Stream() const { return FStream; }

private:
    TObjectScanner(TPDFAnalyst& Analyst, TStream& S, const TScanOptions& Options, int32_t Object, int32_t Offset);
    void EnterBody();
    void Read(TToken& Token);
    bool EndsAt(const TToken& Token, TScanEnd& End) const;
    void ApplyRules(const TToken& Token);
    void ApplyStreamRule(const TToken& Token);
    [[noreturn]] void RaiseFileEnds() const;

    TPDFAnalyst& FAnalyst;
    TStream& FStream;
    TScanOptions FOptions;
    int32_t FObject;  // for errors: where the scan began
    int32_t FOffset;
    int32_t FLength = 0;  // the last /Length met, for SkipStreamData
    int64_t* FCounter = nullptr;
    TToken FToken;  // the token the handler is shown
    TToken FValue;  // tokens the handler reads with Next
};

template <class THandler>
TScanEnd TObjectScanner::Run(THandler&& Handler) {
    try {
        for (;;) {
            Read(FToken);
            if (TScanEnd end; EndsAt(FToken, end)) return end;
            switch (Handler(static_cast<const TToken&>(FToken))) {
                case TScanAction::Stop: return TScanEnd::Stopped;
                case TScanAction::Handled: break;
                case TScanAction::Default: ApplyRules(FToken); break;
            }
        }
    } catch (const EReadError&) {
        // A rule or the handler read past the end of the data.
        RaiseFileEnds();
    }
}

inline void TObjectScanner::Read(TToken& Token) {
    if (NextToken(FStream, Token) == TTokenKind::EndOfData) RaiseFileEnds();
    if (FCounter != nullptr) ++*FCounter;
}

inline bool TObjectScanner::EndsAt(const TToken& Token, TScanEnd& End) const {
    const TScanEnds& ends = FOptions.EndsAt;
    if (Token.Kind == TTokenKind::Keyword) {
        if (ends.Endobj && Token.Is("endobj")) End = TScanEnd::Endobj;
        else if (ends.Stream && Token.Is("stream")) End = TScanEnd::Stream;
        else return false;
        return true;
    }
    if (Token.Kind != TTokenKind::Delimiter) return false;
    switch (Token.Text[0]) {
        case '<': End = TScanEnd::Open; return ends.Open;
        case '>': End = TScanEnd::Close; return ends.Close;
        case ']': End = TScanEnd::ArrayEnd; return ends.ArrayEnd;
        default: return false;
    }
}

inline void TObjectScanner::ApplyRules(const TToken& Token) {
    switch (Token.Kind) {
        case TTokenKind::StringStart:
            if (FOptions.SkipStrings) SkipLiteralString(FStream);
            break;
        case TTokenKind::Comment:
            if (FOptions.SkipComments) SkipLine(FStream);
            break;
        case TTokenKind::Name:
        case TTokenKind::Keyword:
            if (FOptions.SkipStreamData) ApplyStreamRule(Token);
            break;
        default: break;
    }
}

}  // namespace lumerra
