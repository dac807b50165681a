// The content scanner against the tokenizer over any bytes: the same
// tokens of the same kinds at the same offsets, ending at the same
// positions, with the same keywords, names and faults.
#include <cstdint>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "syntax/ContentScanner.h"

using namespace lumerra;
using namespace lumerra::fuzz;

namespace {

std::string_view FaultText(TScanFault Fault) {
    switch (Fault) {
        case TScanFault::UnterminatedString: return "unterminated string";
        case TScanFault::UnterminatedHexString: return "unterminated hexadecimal string";
        case TScanFault::BadHexString: return "bad hexadecimal string";
        case TScanFault::UnexpectedParenthesis: return "unexpected ')'";
        case TScanFault::UnexpectedAngle: return "unexpected '>'";
        case TScanFault::None: break;
    }
    return {};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const std::span<const uint8_t> bytes(Data, Size);
    TTokenizer tokens(bytes);
    tokens.SetKeepStringBytes(false);
    TContentScanner scanner(bytes);
    TSyntaxToken expected;
    TScanToken got;
    std::string name;
    do {
        tokens.Next(expected);
        scanner.Next(got);
        Require(got.Type == expected.Type, "the same kind of token");
        Require(static_cast<int64_t>(got.Offset) == expected.Offset, "at the same offset");
        Require(scanner.Position() == tokens.Position(), "ending at the same position");
        switch (got.Type) {
            case TTokenType::Keyword: Require(got.Bytes == expected.Text, "the same keyword"); break;
            case TTokenType::Name:
                TContentScanner::DecodeName(got.Bytes, name);
                Require(name == expected.Text, "the same name");
                Require(got.Escaped == (got.Bytes.find('#') != std::string_view::npos), "escaped names are told");
                break;
            case TTokenType::Bad: Require(FaultText(got.Fault) == expected.Text, "the same fault"); break;
            default: Require(got.Bytes.empty() && got.Fault == TScanFault::None, "nothing else carries bytes"); break;
        }
    } while (got.Type != TTokenType::End);
    return 0;
}
