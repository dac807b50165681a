// Extended reading's chain: up to five filters chosen by the input, with
// predictors, over the rest of the input. Whatever the chain and the data,
// the bytes and the damage do not depend on how the output is pulled (one
// large piece, or pieces of sizes taken from the input), the output stays
// under its cap, and each damage record names a filter of the list with an
// offset inside what that filter could have read.
//
// Input: a byte for the number of filters (0 to 5), a byte for each filter
// (bits 0-2 the filter, bits 3-5 a predictor, bit 6 EarlyChange 0), a byte of
// piece sizes, then the data.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "filters/ExtendedChain.h"
#include "fuzz/FuzzSupport.h"

using namespace lumerra;
using namespace lumerra::fuzz;

namespace {

constexpr size_t Cap = 1024 * 1024;
constexpr size_t PieceSize = 64 * 1024;

TFilterStep Choose(uint8_t Byte) {
    static const char* const Names[8] = {"/ASCIIHexDecode", "/ASCII85Decode", "/FlateDecode", "/LZWDecode",
                                         "/RunLengthDecode", "/Crypt", "/FlateDecode", "/LZWDecode"};
    static constexpr TPredictorParams Predictors[8] = {
        {1, 1, 8, 1}, {2, 1, 8, 4}, {2, 3, 16, 5}, {2, 1, 1, 13}, {10, 1, 8, 3}, {12, 2, 8, 7}, {15, 3, 4, 9}, {11, 1, 2, 1},
    };
    TFilterStep step{Names[Byte & 7], {}};
    step.Params.Predictor = Predictors[Byte >> 3 & 7];
    step.Params.EarlyChange = (Byte & 0x40) == 0;
    return step;
}

struct TRun {
    std::string Bytes;
    std::vector<TFilterDiagnostic> Damage;
};

TRun Pull(const uint8_t* Data, size_t Size, const std::vector<TFilterStep>& Steps, uint8_t Pieces) {
    TFilterPipeline pipeline({Data, Size}, Steps);
    TRun run;
    std::vector<uint8_t> piece(PieceSize);
    for (unsigned turn = 0; run.Bytes.size() < Cap; ++turn) {
        // Pieces == 0: large pieces; otherwise sizes from 1 to 8 in turn.
        const size_t room = std::min(Cap - run.Bytes.size(), PieceSize);
        const size_t want = Pieces == 0 ? room : std::min<size_t>(room, (Pieces >> (turn % 8) & 7) + 1);
        const size_t n = pipeline.Read({piece.data(), want});
        Require(n <= want, "a read fills no more than it was given");
        if (n == 0) break;
        run.Bytes.append(reinterpret_cast<const char*>(piece.data()), n);
    }
    run.Damage = pipeline.Diagnostics();
    return run;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const size_t count = TakeByte(Data, Size) % 6;
    std::vector<TFilterStep> steps;
    for (size_t i = 0; i < count; ++i) steps.push_back(Choose(TakeByte(Data, Size)));
    const uint8_t pieces = TakeByte(Data, Size);
    if (!ExtendedFiltersDecodable(steps)) return 0;

    const TRun whole = Pull(Data, Size, steps, 0);
    Require(whole.Bytes.size() <= Cap, "the output stays under its cap");
    for (const TFilterDiagnostic& d : whole.Damage) {
        Require(d.Filter >= 0 && static_cast<size_t>(d.Filter) < steps.size(), "damage names a filter of the list");
        Require(d.Name == steps[static_cast<size_t>(d.Filter)].Name, "damage names the filter's name");
        // A predictor's offset is in its decoder's output, which has no bound here.
        const bool first = d.Filter == 0 && d.Code != TMessageCode::PredictorFailed;
        Require(d.Offset >= 0 && (!first || static_cast<size_t>(d.Offset) <= Size),
                "damage stands inside the filter's input");
    }
    if (pieces != 0 && whole.Bytes.size() < 64 * 1024) {
        const TRun small = Pull(Data, Size, steps, pieces);
        Require(small.Bytes == whole.Bytes, "the bytes do not depend on the pieces pulled");
        Require(small.Damage == whole.Damage, "nor does the damage");
    }
    return 0;
}
