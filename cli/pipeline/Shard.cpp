#include "cli/pipeline/Shard.h"

#include <charconv>

#include "filters/Crypto.h"

namespace lumerra::cli::pipeline {

namespace {

std::optional<uint64_t> Number(std::string_view Text) {
    uint64_t value = 0;
    const auto [end, error] = std::from_chars(Text.data(), Text.data() + Text.size(), value);
    if (Text.empty() || error != std::errc() || end != Text.data() + Text.size()) return std::nullopt;
    return value;
}

}  // namespace

std::optional<TShard> ParseShard(std::string_view Text) {
    const size_t slash = Text.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    const std::optional<uint64_t> index = Number(Text.substr(0, slash));
    const std::optional<uint64_t> count = Number(Text.substr(slash + 1));
    if (!index || !count || *count == 0 || *index >= *count) return std::nullopt;
    return TShard{*index, *count};
}

uint64_t PathHash(std::string_view Path) {
    const TBytes digest = Sha2(256, {reinterpret_cast<const uint8_t*>(Path.data()), Path.size()});
    uint64_t hash = 0;
    for (int i = 0; i < 8; ++i) hash = hash << 8 | digest[i];
    return hash;
}

bool InShard(std::string_view Path, const TShard& Shard) { return PathHash(Path) % Shard.Count == Shard.Index; }

}  // namespace lumerra::cli::pipeline
