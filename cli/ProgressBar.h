// The progress bar of a decoding run, drawn on standard error.
#pragma once

#include <cstdint>
#include <cstdio>

namespace lumerra::cli {

class TProgressBar {
public:
    // Draws nothing when Enabled is false.
    TProgressBar(std::FILE* Out, bool Enabled) : FOut(Out), FEnabled(Enabled) {}
    // The decoder's progress call: (Min, Max, Position, Done).
    void Update(int32_t Min, int32_t Max, int32_t Position, bool Done);

private:
    std::FILE* FOut;
    bool FEnabled;
    int FLastPercent = -1;
    bool FDrawn = false;
};

}  // namespace lumerra::cli
