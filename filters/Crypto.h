// The hashes and ciphers of PDF encryption, bytes in and bytes out, over
// nettle. Nothing here knows about files, objects or passwords.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace lumerra {

using TBytes = std::vector<uint8_t>;

TBytes Md5(std::span<const uint8_t> Data);
// SHA-256, SHA-384 or SHA-512 by Bits; any other value is SHA-256.
TBytes Sha2(int Bits, std::span<const uint8_t> Data);

// RC4 with a key of 1 to 256 bytes (encrypting and decrypting are the same).
TBytes Rc4(std::span<const uint8_t> Key, std::span<const uint8_t> Data);

// AES-CBC decryption with a 16- or 32-byte key: the first 16 bytes are the
// initialisation vector and PKCS#5 padding is removed. Damaged data (no
// whole block, bad padding) gives what decrypts; a wrong key size gives
// nothing.
TBytes AesCbcDecrypt(std::span<const uint8_t> Key, std::span<const uint8_t> Data);

// AES-CBC without padding, the vector given, Data a whole number of blocks
// (the rest is ignored): the building blocks of the AES-256 key derivation.
TBytes AesCbcEncryptRaw(std::span<const uint8_t> Key, std::span<const uint8_t> Iv, std::span<const uint8_t> Data);
TBytes AesCbcDecryptRaw(std::span<const uint8_t> Key, std::span<const uint8_t> Iv, std::span<const uint8_t> Data);

}  // namespace lumerra
