#include "pdf/StartXref.h"

#include <string_view>

#include "syntax/Tokenizer.h"

namespace lumerra {

namespace {

constexpr std::string_view Keyword = "startxref";

// Whether a "%" stands between the start of the line that holds At and At.
bool InComment(std::string_view Text, size_t At) {
    const size_t line = Text.find_last_of("\r\n", At);
    const size_t from = line == std::string_view::npos ? 0 : line + 1;
    return Text.substr(from, At - from).find('%') != std::string_view::npos;
}

}  // namespace

std::optional<TStartXref> LastStartXref(std::span<const uint8_t> Bytes) {
    const std::string_view text(reinterpret_cast<const char*>(Bytes.data()), Bytes.size());
    for (size_t at = text.rfind(Keyword); at != std::string_view::npos;
         at = at == 0 ? std::string_view::npos : text.rfind(Keyword, at - 1)) {
        const size_t after = at + Keyword.size();
        const bool alone = (at == 0 || !IsIsoRegular(Bytes[at - 1])) &&
                           (after == Bytes.size() || !IsIsoRegular(Bytes[after]));
        if (!alone || InComment(text, at)) continue;
        TTokenizer tokens(Bytes.subspan(after));
        const TSyntaxToken offset = tokens.Next();
        if (offset.Type != TTokenType::Integer || offset.Integer < 0) return std::nullopt;
        return TStartXref{offset.Integer, at, after + tokens.Position()};
    }
    return std::nullopt;
}

}  // namespace lumerra
