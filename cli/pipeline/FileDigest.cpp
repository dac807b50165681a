#include "cli/pipeline/FileDigest.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include <nettle/sha2.h>

#include "common/UniqueFd.h"
#include "syntax/CharClass.h"

namespace lumerra::cli::pipeline {

std::optional<TFileDigest> DigestFile(const std::string& Path) {
    const UniqueFd file(::open(Path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.Valid()) return std::nullopt;
    sha256_ctx context;
    sha256_init(&context);
    TFileDigest digest;
    uint8_t buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(file.Get(), buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        sha256_update(&context, static_cast<size_t>(n), buffer);
        digest.Size += n;
    }
    uint8_t bytes[SHA256_DIGEST_SIZE];
    sha256_digest(&context, sizeof bytes, bytes);
    constexpr std::string_view Digits = LowerHexDigits;
    for (const uint8_t byte : bytes) {
        digest.Sha256 += Digits[byte >> 4];
        digest.Sha256 += Digits[byte & 15];
    }
    return digest;
}

}  // namespace lumerra::cli::pipeline
