// Object numbers, and where the file keeps each object.
#pragma once

#include <cstdint>
#include <vector>

namespace lumerra {

// Object numbers in the order they were read (page lists, kids, contents).
using TIDList = std::vector<int32_t>;

}  // namespace lumerra
