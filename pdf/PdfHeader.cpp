#include "pdf/PdfHeader.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include "pdf/StartXref.h"
#include "syntax/Tokenizer.h"

namespace lumerra {

int32_t TPdfHeader::VersionNumber() const {
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (Version.size() < 3 || !digit(Version[0]) || Version[1] != '.' || !digit(Version[2])) return -1;
    return (Version[0] - '0') * 10 + (Version[2] - '0');
}

TPdfHeader FindPdfHeader(TStream& S, int32_t Window) {
    // The header's version may run a few bytes past the window.
    std::vector<uint8_t> bytes(static_cast<size_t>(std::min<int64_t>(S.Size(), Window + 16)));
    S.SetPosition(0);
    S.ReadBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    TPdfHeader header;
    const size_t at = text.find("%PDF-");
    if (at == std::string_view::npos || at + 5 > static_cast<size_t>(Window)) return header;
    header.Offset = static_cast<int32_t>(at);
    size_t end = at + 5;
    while (end < text.size() && IsIsoRegular(static_cast<uint8_t>(text[end]))) ++end;
    header.Version.assign(text.substr(at + 5, end - at - 5));
    return header;
}

int64_t FindStartXref(TStream& S, int32_t Window) {
    const auto length = static_cast<int32_t>(std::min<int64_t>(S.Size(), Window));
    std::vector<uint8_t> bytes(static_cast<size_t>(length));
    S.SetPosition(S.Size() - length);
    S.ReadBuffer(bytes.data(), length);
    const std::optional<TStartXref> found = LastStartXref(bytes);
    if (!found) return -1;
    // Objects after it are an update cut off before its own table: the
    // table it names would lose them, so there is none to follow.
    TTokenizer tokens(std::span<const uint8_t>(bytes).subspan(found->End));
    TSyntaxToken number, generation, token;
    for (tokens.Next(token); token.Type != TTokenType::End; tokens.Next(token)) {
        if (token.IsKeyword("obj") && number.Type == TTokenType::Integer && generation.Type == TTokenType::Integer)
            return -1;
        number = std::move(generation);
        generation = token;
    }
    return found->Offset;
}

}  // namespace lumerra
