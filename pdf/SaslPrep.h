// SASLprep (RFC 4013) of a UTF-8 password, as AES-256 encryption asks for
// before the password is hashed. The tables are libidn's.
#pragma once

#include <optional>
#include <string>

namespace lumerra {

// The prepared form of Password (UTF-8), or none when SASLprep rejects it:
// prohibited characters (controls, private use, ...), a bad mix of
// right-to-left and left-to-right text, or bytes that are not UTF-8.
std::optional<std::string> SaslPrep(const std::string& Password);

}  // namespace lumerra
