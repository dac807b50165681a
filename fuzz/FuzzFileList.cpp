// What a pipeline run reads from others: the file list and the record log
// of a resumed run. Every path of a list is a non-empty piece of it without
// its separator, in order, and joined again they give the list back without
// its empty entries; a record log's whole part ends at a line end, and
// reading that part again finds the same files.
#include <cstdint>
#include <string>
#include <string_view>

#include "cli/pipeline/FileList.h"
#include "cli/pipeline/ResumeLog.h"
#include "fuzz/FuzzSupport.h"

using namespace lumerra::cli::pipeline;
using namespace lumerra::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const uint8_t selector = TakeByte(Data, Size);
    const std::string_view bytes(reinterpret_cast<const char*>(Data), Size);
    if (selector & 1) {
        const TRecorded recorded = ReadRecorded(bytes);
        Require(recorded.WholeBytes <= bytes.size(), "whole part within the log");
        Require(recorded.WholeBytes == 0 || bytes[recorded.WholeBytes - 1] == '\n', "whole part ends a line");
        Require(bytes.find('\n', recorded.WholeBytes) == std::string_view::npos, "only the torn record is left out");
        Require(ReadRecorded(bytes.substr(0, recorded.WholeBytes)).Files == recorded.Files, "the cut loses no record");
        return 0;
    }
    const char separator = (selector & 2) ? '\0' : '\n';
    std::string joined, expected;
    for (const std::string& path : SplitFileList(bytes, separator)) {
        Require(!path.empty(), "no empty path");
        Require(path.find(separator) == std::string::npos, "no separator inside a path");
        joined += path + separator;
    }
    for (size_t start = 0; start <= bytes.size();) {
        const size_t end = std::min(bytes.find(separator, start), bytes.size());
        if (end > start) expected += std::string(bytes.substr(start, end - start)) + separator;
        start = end + 1;
    }
    Require(joined == expected, "the paths are the list's non-empty entries");
    return 0;
}
