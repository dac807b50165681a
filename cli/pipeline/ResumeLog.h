// The record file of a run that is resumed: the inputs it already holds,
// and where a record cut off by a killed run begins, so that it is cut
// before the rest is appended and no record is missing or doubled.
#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <string_view>

#include "common/UniqueFd.h"

namespace lumerra::cli::pipeline {

struct TRecorded {
    std::set<std::string> Files;  // the "file" of every whole record
    // The bytes up to the end of the last whole line; what follows is a torn
    // record.
    size_t WholeBytes = 0;
};

// Records are JSON objects, one per line, each ended by '\n'. A line that
// is no such object is kept but names no file.
TRecorded ReadRecorded(std::string_view Log);

// The log at Path opened for appending, created when missing, a torn last
// record cut off first; Recorded gets what it already holds. Raises
// Exception when it cannot be read or written.
UniqueFd OpenResumeLog(const std::string& Path, TRecorded& Recorded);

}  // namespace lumerra::cli::pipeline
