#include "history/SignatureIntegrity.h"

#include <gnutls/gnutls.h>
#include <gnutls/pkcs7.h>
#include <gnutls/x509.h>

#include <memory>
#include <string>

#include "common/Stream.h"

namespace lumerra {

namespace {

// The signed bytes are held whole for the check; past this, it is not made.
constexpr int64_t MaximumSignedBytes = int64_t{512} * 1024 * 1024;

struct TPkcs7Free {
    void operator()(gnutls_pkcs7_int* P) const { gnutls_pkcs7_deinit(P); }
};
struct TCertificateFree {
    void operator()(gnutls_x509_crt_int* C) const { gnutls_x509_crt_deinit(C); }
};

// The length of the DER value Bytes starts with; 0 when it does not start
// with one. /Contents is padded with zeros after it.
size_t DerLength(std::string_view Bytes) {
    if (Bytes.size() < 2 || static_cast<uint8_t>(Bytes[0]) != 0x30) return 0;
    const auto first = static_cast<uint8_t>(Bytes[1]);
    if (first < 0x80) return std::min<size_t>(2 + first, Bytes.size());
    const size_t octets = first & 0x7f;
    if (octets == 0 || octets > 4 || Bytes.size() < 2 + octets) return 0;
    size_t length = 0;
    for (size_t i = 0; i < octets; ++i) length = length << 8 | static_cast<uint8_t>(Bytes[2 + i]);
    return 2 + octets + length <= Bytes.size() ? 2 + octets + length : 0;
}

bool ReadRange(TStream& File, int64_t At, int64_t Count, std::string& Out) {
    if (At < 0 || Count < 0 || At + Count > File.Size()) return false;
    const size_t start = Out.size();
    Out.resize(start + static_cast<size_t>(Count));
    File.SetPosition(At);
    for (int64_t done = 0; done < Count;) {
        const auto step = static_cast<int32_t>(std::min<int64_t>(Count - done, INT32_MAX));
        const int32_t read = File.Read(Out.data() + start + done, step);
        if (read <= 0) return false;
        done += read;
    }
    return true;
}

gnutls_datum_t Datum(std::string_view Bytes) {
    return {reinterpret_cast<unsigned char*>(const_cast<char*>(Bytes.data())), static_cast<unsigned int>(Bytes.size())};
}

}  // namespace

TIntegrity CheckIntegrity(TStream& File, const std::vector<int64_t>& ByteRange, std::string_view Contents,
                          std::string_view SubFilter) {
    // Detached CMS data signs the ranges themselves; the other kinds sign a
    // digest or a timestamp token.
    if (SubFilter != "adbe.pkcs7.detached" && SubFilter != "ETSI.CAdES.detached") return TIntegrity::NotChecked;
    if (ByteRange.size() != 4 || ByteRange[1] + ByteRange[3] > MaximumSignedBytes) return TIntegrity::NotChecked;
    const size_t der = DerLength(Contents);
    if (der == 0) return TIntegrity::Failed;
    std::string data;
    if (!ReadRange(File, ByteRange[0], ByteRange[1], data) || !ReadRange(File, ByteRange[2], ByteRange[3], data))
        return TIntegrity::NotChecked;

    gnutls_pkcs7_t raw = nullptr;
    if (gnutls_pkcs7_init(&raw) < 0) return TIntegrity::NotChecked;
    const std::unique_ptr<gnutls_pkcs7_int, TPkcs7Free> pkcs7(raw);
    const gnutls_datum_t cms = Datum(Contents.substr(0, der));
    if (gnutls_pkcs7_import(pkcs7.get(), &cms, GNUTLS_X509_FMT_DER) < 0) return TIntegrity::Failed;
    const gnutls_datum_t signedData = Datum(data);
    const int certificates = gnutls_pkcs7_get_crt_count(pkcs7.get());
    for (int i = 0; i < certificates; ++i) {
        gnutls_datum_t bytes{};
        if (gnutls_pkcs7_get_crt_raw2(pkcs7.get(), static_cast<unsigned>(i), &bytes) < 0) continue;
        gnutls_x509_crt_t rawCertificate = nullptr;
        const bool made = gnutls_x509_crt_init(&rawCertificate) >= 0;
        const std::unique_ptr<gnutls_x509_crt_int, TCertificateFree> certificate(made ? rawCertificate : nullptr);
        const bool imported = made && gnutls_x509_crt_import(certificate.get(), &bytes, GNUTLS_X509_FMT_DER) >= 0;
        gnutls_free(bytes.data);
        if (imported && gnutls_pkcs7_verify_direct(pkcs7.get(), certificate.get(), 0, &signedData, 0) >= 0)
            return TIntegrity::Verified;
    }
    return TIntegrity::Failed;
}

}  // namespace lumerra
