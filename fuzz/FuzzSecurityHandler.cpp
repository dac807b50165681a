// The encryption dictionary and the key derivation over hostile input. The
// input is three parts separated by NUL bytes: the dictionary's text, the
// file identifier and a password. Opening either succeeds or raises
// ESecurityError (an AES-256 password passes SASLprep first); an opened
// handler checks /Perms and decrypts any data without overrunning.
#include <cstdint>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "pdf/SecurityHandler.h"
#include "syntax/Parser.h"

using namespace lumerra;
using namespace lumerra::fuzz;

namespace {

std::string Part(const uint8_t*& Data, size_t& Size) {
    size_t n = 0;
    while (n < Size && Data[n] != 0) ++n;
    std::string part(reinterpret_cast<const char*>(Data), n);
    const size_t used = n < Size ? n + 1 : n;
    Data += used;
    Size -= used;
    return part;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const std::string dictionary = Part(Data, Size);
    const std::string id = Part(Data, Size);
    const std::string password = Part(Data, Size);
    const auto value = ParseValue({reinterpret_cast<const uint8_t*>(dictionary.data()), dictionary.size()});
    if (!value) return 0;
    try {
        const auto handler = TSecurityHandler::Open(*value, id, password);
        Require(!handler->Description().empty(), "an opened handler describes itself");
        handler->PermsWarning();
        for (const char* filter : {"", "/Identity", "/StdCF"}) {
            try {
                const TBytes plain = handler->DecryptStream(7, 0, {Data, Size}, filter);
                Require(plain.size() <= Size, "decrypting never grows the data");
            } catch (const ESecurityError&) {
                // A crypt filter the dictionary does not define.
            }
        }
    } catch (const ESecurityError&) {
    }
    return 0;
}
