#include "filters/Crypto.h"

#include <nettle/aes.h>
#include <nettle/arcfour.h>
#include <nettle/cbc.h>
#include <nettle/md5.h>
#include <nettle/sha2.h>

#include <algorithm>

namespace lumerra {

namespace {

constexpr size_t Block = AES_BLOCK_SIZE;

// One AES key schedule, either size, for one direction.
class TAes {
public:
    TAes(std::span<const uint8_t> Key, bool Encrypt) : FSize(Key.size()) {
        if (FSize == 16) {
            Encrypt ? aes128_set_encrypt_key(&FKey128, Key.data()) : aes128_set_decrypt_key(&FKey128, Key.data());
            FFunction = Encrypt ? reinterpret_cast<nettle_cipher_func*>(aes128_encrypt)
                                : reinterpret_cast<nettle_cipher_func*>(aes128_decrypt);
        } else if (FSize == 32) {
            Encrypt ? aes256_set_encrypt_key(&FKey256, Key.data()) : aes256_set_decrypt_key(&FKey256, Key.data());
            FFunction = Encrypt ? reinterpret_cast<nettle_cipher_func*>(aes256_encrypt)
                                : reinterpret_cast<nettle_cipher_func*>(aes256_decrypt);
        }
    }
    bool Valid() const { return FFunction != nullptr; }
    // CBC over the whole blocks of In; Iv is consumed.
    TBytes Cbc(bool Encrypt, uint8_t* Iv, const uint8_t* In, size_t Size) const {
        TBytes out(Size - Size % Block);
        if (out.empty()) return out;
        const void* context = FSize == 16 ? static_cast<const void*>(&FKey128) : static_cast<const void*>(&FKey256);
        if (Encrypt)
            cbc_encrypt(context, FFunction, Block, Iv, out.size(), out.data(), In);
        else
            cbc_decrypt(context, FFunction, Block, Iv, out.size(), out.data(), In);
        return out;
    }

private:
    size_t FSize;
    aes128_ctx FKey128{};
    aes256_ctx FKey256{};
    nettle_cipher_func* FFunction = nullptr;
};

TBytes Raw(bool Encrypt, std::span<const uint8_t> Key, std::span<const uint8_t> Iv, std::span<const uint8_t> Data) {
    const TAes aes(Key, Encrypt);
    if (!aes.Valid() || Iv.size() < Block) return {};
    uint8_t iv[Block];
    std::copy_n(Iv.begin(), Block, iv);
    return aes.Cbc(Encrypt, iv, Data.data(), Data.size());
}

}  // namespace

TBytes Md5(std::span<const uint8_t> Data) {
    md5_ctx context;
    md5_init(&context);
    md5_update(&context, Data.size(), Data.data());
    TBytes digest(MD5_DIGEST_SIZE);
    md5_digest(&context, digest.size(), digest.data());
    return digest;
}

TBytes Sha2(int Bits, std::span<const uint8_t> Data) {
    if (Bits == 384 || Bits == 512) {
        sha512_ctx context;
        Bits == 384 ? sha384_init(&context) : sha512_init(&context);
        sha512_update(&context, Data.size(), Data.data());
        TBytes digest(Bits / 8);
        Bits == 384 ? sha384_digest(&context, digest.size(), digest.data())
                    : sha512_digest(&context, digest.size(), digest.data());
        return digest;
    }
    sha256_ctx context;
    sha256_init(&context);
    sha256_update(&context, Data.size(), Data.data());
    TBytes digest(SHA256_DIGEST_SIZE);
    sha256_digest(&context, digest.size(), digest.data());
    return digest;
}

TBytes Rc4(std::span<const uint8_t> Key, std::span<const uint8_t> Data) {
    if (Key.empty() || Key.size() > ARCFOUR_MAX_KEY_SIZE) return {};
    arcfour_ctx context;
    arcfour_set_key(&context, Key.size(), Key.data());
    TBytes out(Data.size());
    if (!out.empty()) arcfour_crypt(&context, out.size(), out.data(), Data.data());
    return out;
}

TBytes AesCbcDecrypt(std::span<const uint8_t> Key, std::span<const uint8_t> Data) {
    const TAes aes(Key, false);
    if (!aes.Valid() || Data.size() < Block) return {};
    uint8_t iv[Block];
    std::copy_n(Data.begin(), Block, iv);
    TBytes out = aes.Cbc(false, iv, Data.data() + Block, Data.size() - Block);
    // PKCS#5: the last byte says how many bytes of padding, each that value.
    if (!out.empty()) {
        const uint8_t pad = out.back();
        if (pad >= 1 && pad <= Block && std::all_of(out.end() - pad, out.end(), [pad](uint8_t c) { return c == pad; }))
            out.resize(out.size() - pad);
    }
    return out;
}

TBytes AesCbcEncryptRaw(std::span<const uint8_t> Key, std::span<const uint8_t> Iv, std::span<const uint8_t> Data) {
    return Raw(true, Key, Iv, Data);
}

TBytes AesCbcDecryptRaw(std::span<const uint8_t> Key, std::span<const uint8_t> Iv, std::span<const uint8_t> Data) {
    return Raw(false, Key, Iv, Data);
}

}  // namespace lumerra
