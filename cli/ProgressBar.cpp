#include "cli/ProgressBar.h"

#include <algorithm>
#include <string>

namespace lumerra::cli {

void TProgressBar::Update(int32_t Min, int32_t Max, int32_t Position, bool Done) {
    if (!FEnabled) return;
    if (Done) {
        if (FDrawn) std::fputs("\r\033[K", FOut);  // the finished bar leaves no trace
        std::fflush(FOut);
        return;
    }
    // The position after a single page is -1; clamp it like any other.
    const int64_t span = std::max<int64_t>(1, int64_t{Max} - Min);
    const int percent = static_cast<int>(std::clamp<int64_t>((int64_t{Position} - Min) * 100 / span, 0, 100));
    if (percent == FLastPercent) return;
    FLastPercent = percent;
    constexpr int Width = 40;
    const int filled = percent * Width / 100;
    const std::string bar = std::string(static_cast<size_t>(filled), '#') + std::string(static_cast<size_t>(Width - filled), ' ');
    std::fprintf(FOut, "\r[%s] %3d%%", bar.c_str(), percent);
    std::fflush(FOut);
    FDrawn = true;
}

}  // namespace lumerra::cli
