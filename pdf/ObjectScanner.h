// TObjectScanner: the one loop that walks an object body token by token.
//
// Every reader of the file is a handler that looks for its own keys, plus a
// set of rules (TScanOptions) saying what else the loop does with a token.
// The readers' rules differ only where the reports depend on it; each
// difference is an option here, and each reader's choice says why.
#pragma once

#include <cstdint>
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
// the skipping rules, and is otherwise ignored. The readers and their rules
// ("-": the scan starts inside an object, so no header; "token": the bytes
// are read as tokens like any others):
//
//   reader                      starts at        header  "(" strings "%" comments stream data  ends at
//   page object                 the page         skip    skip        skip         token        endobj
//   page-tree node (climbed)    the node         skip    skip        skip         token        endobj
//   form object                 the form         skip    skip        skip         token        endobj
//   resources object            the object       skip    token       token        token        first "<", endobj
//   resources dictionary        just after "<<"  -       token       token        token        ">"
//   nested dictionary, passed   just after "<"   -       token       token        token        ">"
//   category value (inline)     just after "<<"  -       token       token        token        ">"
//   category object             the object       keep    token       token        token        endobj
//   XObject subtype             the XObject      keep    skip        skip         token        stream, endobj
//   page contents               the page         keep    skip        skip         token        endobj
//   stream object               the stream       skip    skip        skip         its handler  endobj
//   catalog, page-tree walk     the object       check   skip        skip         skip         endobj
//   media box                   the node         keep    skip        skip         skip         endobj
//   page count                  the root node    check   token       skip         token        endobj
//   integer object              the object       skip    token       skip         token        endobj
//   array object / array value  the object / "["  skip/-  token       token        token        "]", endobj
//
// Handlers end some scans early: the page, node and form scans once they
// have read /Resources, the contents scan once it has read /Contents, the
// subtype scan at the first key that tells, the page-tree walk at /Page.
//
// Why the rules differ:
// - Check where the page tree rests on the object: a table entry pointing
//   elsewhere must stop the load rather than give a wrong tree.
// - Keep where the reader's keys cannot match the header's tokens anyway.
// - The resource scans read strings and comments as tokens: resources hold
//   names and references only, and the reports have always been made so.
// - The page count and integer reads skip comments but not strings, as they
//   always have; an integer object holds no string before its number.
// - Only the analyser's scans skip stream data by /Length: a catalog or a
//   page-tree node that is itself a stream must not have its data taken for
//   keys. A form without /Resources is read through its data to "endobj",
//   which the reports rely on; the subtype scan stops at "stream" instead,
//   and the stream object's handler decodes the data itself.
// - The resources object ends at its first "<" because its dictionary starts
//   there; dictionaries end at their first ">", one level deep only.
struct TScanOptions {
    THeaderRule Header = THeaderRule::Keep;  // for scans opened on an object
    bool SkipStrings = false;                // "(": the literal string is passed over
    bool SkipComments = false;               // "%": the rest of the line is passed over
    bool SkipStreamData = false;             // "/Length" is read; "stream" passes over that many bytes
    TScanEnds EndsAt;
};

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
    // Every token read from here on is counted in Counter as well.
    void CountInto(int64_t& Counter) { FCounter = &Counter; }

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
        if (ends.Endobj && Token.Text == "endobj") End = TScanEnd::Endobj;
        else if (ends.Stream && Token.Text == "stream") End = TScanEnd::Stream;
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
