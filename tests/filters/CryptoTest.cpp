// The hashes and ciphers against published test vectors, and the AES
// padding rules.
#include <gtest/gtest.h>

#include <string>

#include "filters/Crypto.h"

using namespace lumerra;

namespace {

TBytes B(const std::string& Text) { return TBytes(Text.begin(), Text.end()); }

std::string Hex(const TBytes& Bytes) {
    static const char* const Digits = "0123456789abcdef";
    std::string text;
    for (const uint8_t b : Bytes) text += {Digits[b >> 4], Digits[b & 15]};
    return text;
}

}  // namespace

TEST(Crypto, HashesMatchTheirTestVectors) {
    EXPECT_EQ(Hex(Md5(B("abc"))), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(Hex(Sha2(256, B("abc"))), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(Hex(Sha2(384, B("abc"))).substr(0, 32), "cb00753f45a35e8bb5a03d699ac65007");
    EXPECT_EQ(Hex(Sha2(512, B("abc"))).substr(0, 32), "ddaf35a193617abacc417349ae204131");
}

TEST(Crypto, Rc4MatchesItsTestVectorAndUndoesItself) {
    EXPECT_EQ(Hex(Rc4(B("Key"), B("Plaintext"))), "bbf316e8d940af0ad3");
    EXPECT_EQ(Rc4(B("Key"), Rc4(B("Key"), B("round trip"))), B("round trip"));
    EXPECT_TRUE(Rc4({}, B("data")).empty());  // no key, no output
}

TEST(Crypto, AesCbcRemovesTheVectorAndThePadding) {
    const TBytes iv(16, 7);
    for (const size_t keySize : {16u, 32u}) {
        const TBytes key(keySize, 3);
        for (const std::string plain : {"", "short", "exactly sixteen!", "a little longer than one block"}) {
            // PKCS#5 padding by hand, then raw CBC: what a writer does.
            TBytes padded = B(plain);
            const size_t pad = 16 - padded.size() % 16;
            padded.insert(padded.end(), pad, static_cast<uint8_t>(pad));
            TBytes data = iv;
            const TBytes cipher = AesCbcEncryptRaw(key, iv, padded);
            data.insert(data.end(), cipher.begin(), cipher.end());
            EXPECT_EQ(AesCbcDecrypt(key, data), B(plain)) << keySize << " " << plain;
        }
    }
}

TEST(Crypto, DamagedAesDataGivesWhatDecrypts) {
    const TBytes key(16, 1);
    EXPECT_TRUE(AesCbcDecrypt(key, TBytes(15, 0)).empty());  // no vector
    EXPECT_TRUE(AesCbcDecrypt(key, TBytes(16, 0)).empty());  // the vector alone
    EXPECT_EQ(AesCbcDecrypt(key, TBytes(16 + 20, 0)).size() % 16, 0u) << "a partial block is dropped";
    EXPECT_TRUE(AesCbcDecrypt(TBytes(5, 0), TBytes(48, 0)).empty());  // no such key size
}
