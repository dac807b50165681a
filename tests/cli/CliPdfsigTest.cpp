// A document signed for real by pdfsig with a throw-away certificate in an
// NSS database (test-only tools; skipped without pdfsig and certutil): its
// CMS data verifies, and stops verifying when a signed byte changes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

#include <nlohmann/json.hpp>

#include "CliRun.h"
#include "support/PdfBuilder.h"

using namespace lumerra::test;

namespace {

bool Shell(const std::string& Command) { return std::system((Command + " > /dev/null 2>&1").c_str()) == 0; }

TEST(CliPdfsig, ASignatureMadeByPdfsigVerifiesUntilASignedByteChanges) {
    if (!Shell("command -v pdfsig") || !Shell("command -v certutil"))
        GTEST_SKIP() << "pdfsig (poppler-utils) or certutil (libnss3-tools) is not installed";
    const TempFile plain(PdfBuilder::SimpleDocument({"BT /F1 12 Tf (to be signed) Tj ET"}).Build());
    const std::string nss = "sql:" + plain.Folder();
    ASSERT_TRUE(Shell("certutil -N -d " + nss + " --empty-password"));
    ASSERT_TRUE(Shell("head -c 64 /dev/urandom > " + plain.Sibling("noise")));
    ASSERT_TRUE(Shell("certutil -S -s 'CN=Lumerra test' -n lumerra -x -t 'CT,C,C' -k rsa -g 2048 -v 1 -d " + nss +
                    " -z " + plain.Sibling("noise")));
    const std::string signedPath = plain.Sibling("signed.pdf");
    ASSERT_TRUE(Shell("pdfsig -add-signature -nssdir " + nss + " -nick lumerra " + plain.Path() + " " + signedPath));
    const std::string signedBytes = ReadFileBytes(signedPath);

    struct TCase {
        const char* Name;
        std::function<std::string(std::string)> Change;
        const char* Integrity;
        size_t Later;
    };
    const TCase cases[] = {
        {"as pdfsig wrote it", [](std::string Bytes) { return Bytes; }, "verified", 0},
        {"a signed byte changed",
         [](std::string Bytes) {
             Bytes[Bytes.find("(to be signed)") + 1] = 'T';
             return Bytes;
         },
         "failed", 0},
        {"an update after it",
         [](std::string Bytes) {
             const std::string update = "99 0 obj\n<< /Producer (later) >>\nendobj\n";
             const size_t object = Bytes.size();
             const size_t xref = object + update.size();
             const size_t prev = std::stoul(Bytes.substr(Bytes.rfind("startxref") + 10));
             Bytes += update + "xref\n99 1\n" + std::string(10 - std::to_string(object).size(), '0') +
                      std::to_string(object) + " 00000 n \ntrailer\n<< /Size 100 /Root 1 0 R /Info 99 0 R /Prev " +
                      std::to_string(prev) + " >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
             return Bytes;
         },
         "verified", 1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const TempFile file(c.Change(signedBytes));
        const RunResult result = RunCli({"revisions", "--json", file.Path()});
        ASSERT_EQ(result.ExitCode, 0) << result.Err;
        const auto out = nlohmann::json::parse(result.Out);
        ASSERT_EQ(out["signatures"].size(), 1u) << result.Out;
        const auto& signature = out["signatures"][0];
        EXPECT_EQ(signature["kind"], "approval");
        EXPECT_EQ(signature["subfilter"], "adbe.pkcs7.detached");
        EXPECT_EQ(signature["integrity"], c.Integrity);
        ASSERT_EQ(signature["later"].size(), c.Later);
        if (c.Later > 0) {
            EXPECT_EQ(signature["later"][0]["level"], "lta");
        }
    }
}

}  // namespace
