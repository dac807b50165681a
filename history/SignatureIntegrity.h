// Whether a signature's CMS data verifies over the bytes its /ByteRange
// names, with a certificate it carries. Nothing is said about whether that
// certificate is to be trusted: no chain, no revocation.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace lumerra {

class TStream;

enum class TIntegrity : uint8_t {
    NotChecked,  // no byte range, a range too large, or data signed another way (a digest, a timestamp token)
    Verified,
    Failed  // the CMS data is unreadable, or verifies with none of its certificates
};

// Contents is /Contents' bytes (trailing zero padding allowed), SubFilter
// the signature's /SubFilter.
TIntegrity CheckIntegrity(TStream& File, const std::vector<int64_t>& ByteRange, std::string_view Contents,
                          std::string_view SubFilter);

}  // namespace lumerra
