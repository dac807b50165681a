// Which machine of several takes an input: the first 8 bytes of the SHA-256
// of the path's bytes, read big-endian, modulo the number of shards. The
// same path gives the same shard on every machine and every run.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lumerra::cli::pipeline {

struct TShard {
    uint64_t Index = 0;  // K, from 0
    uint64_t Count = 1;  // N
};

// "K/N" with 0 <= K < N; nothing otherwise.
std::optional<TShard> ParseShard(std::string_view Text);

// The first 8 bytes of SHA-256(Path), big-endian.
uint64_t PathHash(std::string_view Path);

bool InShard(std::string_view Path, const TShard& Shard);

}  // namespace lumerra::cli::pipeline
