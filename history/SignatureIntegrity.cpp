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

// Nesting of indefinite lengths followed at most.
constexpr int MaximumBerDepth = 32;

// The length of the BER value at At in Bytes, indefinite lengths (as NSS
// writes them) followed to their end-of-contents; 0 when there is none.
// /Contents is padded with zeros after it.
size_t BerLength(std::string_view Bytes, size_t At, int Depth) {
    const auto byte = [&](size_t I) { return static_cast<uint8_t>(Bytes[I]); };
    size_t i = At;
    if (Depth > MaximumBerDepth || i >= Bytes.size()) return 0;
    const bool constructed = (byte(i) & 0x20) != 0;
    if ((byte(i++) & 0x1f) == 0x1f) {
        while (i < Bytes.size() && (byte(i) & 0x80) != 0) ++i;
        ++i;  // the tag's last byte
    }
    if (i >= Bytes.size()) return 0;
    const uint8_t first = byte(i++);
    if (first == 0x80) {
        if (!constructed) return 0;
        while (i + 1 < Bytes.size() && (byte(i) != 0 || byte(i + 1) != 0)) {
            const size_t inner = BerLength(Bytes, i, Depth + 1);
            if (inner == 0) return 0;
            i += inner;
        }
        return i + 1 < Bytes.size() ? i + 2 - At : 0;
    }
    size_t length = first;
    if (first > 0x80) {
        const size_t octets = first & 0x7f;
        if (octets > 4 || i + octets > Bytes.size()) return 0;
        length = 0;
        for (size_t k = 0; k < octets; ++k) length = length << 8 | byte(i++);
    }
    return length <= Bytes.size() - i ? i + length - At : 0;
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
    const size_t der = Contents.empty() || static_cast<uint8_t>(Contents[0]) != 0x30 ? 0 : BerLength(Contents, 0, 0);
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
