// Whether a signature's CMS data verifies over its byte range: signed here
// with a throw-away key and certificate.
#include <gtest/gtest.h>

#include <gnutls/abstract.h>
#include <gnutls/gnutls.h>
#include <gnutls/pkcs7.h>
#include <gnutls/x509.h>

#include <ctime>
#include <functional>

#include "HistoryFixtures.h"

namespace lumerra::test {
namespace {

// A self-signed ECDSA certificate and its key, made for one test.
class TSigner {
public:
    TSigner() {
        gnutls_x509_privkey_init(&FKey);
        gnutls_x509_privkey_generate(FKey, GNUTLS_PK_ECDSA, GNUTLS_CURVE_TO_BITS(GNUTLS_ECC_CURVE_SECP256R1), 0);
        gnutls_x509_crt_init(&FCertificate);
        gnutls_x509_crt_set_key(FCertificate, FKey);
        gnutls_x509_crt_set_version(FCertificate, 3);
        const unsigned char serial[] = {1};
        gnutls_x509_crt_set_serial(FCertificate, serial, sizeof serial);
        gnutls_x509_crt_set_activation_time(FCertificate, std::time(nullptr) - 60);
        gnutls_x509_crt_set_expiration_time(FCertificate, std::time(nullptr) + 3600);
        gnutls_x509_crt_set_dn_by_oid(FCertificate, GNUTLS_OID_X520_COMMON_NAME, 0, "Lumerra test", 12);
        gnutls_x509_crt_set_key_usage(FCertificate, GNUTLS_KEY_DIGITAL_SIGNATURE);
        gnutls_x509_crt_sign2(FCertificate, FCertificate, FKey, GNUTLS_DIG_SHA256, 0);
        gnutls_privkey_init(&FSigningKey);
        gnutls_privkey_import_x509(FSigningKey, FKey, 0);
    }
    ~TSigner() {
        gnutls_privkey_deinit(FSigningKey);
        gnutls_x509_crt_deinit(FCertificate);
        gnutls_x509_privkey_deinit(FKey);
    }
    TSigner(const TSigner&) = delete;
    TSigner& operator=(const TSigner&) = delete;

    // Detached CMS data over Data, with the certificate, as DER.
    std::string Sign(const std::string& Data) const {
        gnutls_pkcs7_t pkcs7 = nullptr;
        gnutls_pkcs7_init(&pkcs7);
        const gnutls_datum_t data = {reinterpret_cast<unsigned char*>(const_cast<char*>(Data.data())),
                                     static_cast<unsigned>(Data.size())};
        gnutls_pkcs7_sign(pkcs7, FCertificate, FSigningKey, &data, nullptr, nullptr, GNUTLS_DIG_SHA256,
                          GNUTLS_PKCS7_INCLUDE_CERT);
        gnutls_datum_t out{};
        gnutls_pkcs7_export2(pkcs7, GNUTLS_X509_FMT_DER, &out);
        std::string der(reinterpret_cast<const char*>(out.data), out.size);
        gnutls_free(out.data);
        gnutls_pkcs7_deinit(pkcs7);
        return der;
    }

private:
    gnutls_x509_privkey_t FKey = nullptr;
    gnutls_x509_crt_t FCertificate = nullptr;
    gnutls_privkey_t FSigningKey = nullptr;
};

std::string Hex(const std::string& Bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (const char c : Bytes) {
        hex += digits[static_cast<uint8_t>(c) >> 4];
        hex += digits[static_cast<uint8_t>(c) & 15];
    }
    return hex;
}

TEST(Integrity, TheCmsDataVerifiesOverTheByteRangeOnly) {
    const TSigner signer;
    using TTamper = std::function<void(std::string& File, std::string& Cms)>;
    struct TCase {
        const char* Name;
        const char* SubFilter;
        TTamper Tamper;
        TIntegrity Integrity;
    };
    const TCase cases[] = {
        {"as signed", "adbe.pkcs7.detached", [](std::string&, std::string&) {}, TIntegrity::Verified},
        {"as signed, CAdES", "ETSI.CAdES.detached", [](std::string&, std::string&) {}, TIntegrity::Verified},
        {"the outer length left open, as NSS writes it", "adbe.pkcs7.detached",
         [](std::string&, std::string& Cms) {
             ASSERT_EQ(static_cast<uint8_t>(Cms[1]), 0x82);
             Cms = "\x30\x80" + Cms.substr(4) + std::string(2, '\0');
         },
         TIntegrity::Verified},
        {"a signed byte changed", "adbe.pkcs7.detached",
         [](std::string& File, std::string&) { File[File.find("(signed)") + 1] = 'S'; }, TIntegrity::Failed},
        {"the signature's last byte changed", "adbe.pkcs7.detached",
         [](std::string&, std::string& Cms) { Cms.back() ^= 1; }, TIntegrity::Failed},
        {"no CMS data", "adbe.pkcs7.detached", [](std::string&, std::string& Cms) { Cms = "\x30\x03\x02\x01"; },
         TIntegrity::Failed},
        {"nothing but zeros", "adbe.pkcs7.detached", [](std::string&, std::string& Cms) { Cms.clear(); },
         TIntegrity::Failed},
        {"a timestamp token", "ETSI.RFC3161", [](std::string&, std::string&) {}, TIntegrity::NotChecked},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        SignedExtras extras;
        extras.SubFilter = c.SubFilter;
        extras.ContentsDigits = 4096;
        const SignedDocument document({}, [](std::vector<long long>&) {}, extras);
        std::string file = document.Builder.Build();
        const std::vector<long long>& range = document.ByteRange;
        std::string cms = signer.Sign(file.substr(0, static_cast<size_t>(range[1])) +
                                      file.substr(static_cast<size_t>(range[2]), static_cast<size_t>(range[3])));
        ASSERT_FALSE(cms.empty());
        c.Tamper(file, cms);
        const std::string hex = Hex(cms);
        ASSERT_LE(hex.size(), extras.ContentsDigits);
        file.replace(static_cast<size_t>(range[1]) + 1, hex.size(), hex);
        const TDocumentHistory history = HistoryOf(file);
        ASSERT_EQ(history.Reviews.size(), 1u);
        EXPECT_EQ(history.Reviews[0].Integrity, c.Integrity);
    }
}

}  // namespace
}  // namespace lumerra::test
