// One stage of extended reading's filter chain: a decoder that pulls its
// input from the stage before (or from the stream's own bytes) through a
// small buffer of fixed size, and gives its output on demand. Damage is
// recorded once, as a diagnostic, and ends the stage's data; nothing here
// throws for what the data holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "common/Message.h"

namespace lumerra {

// Damage one filter met: which filter of the list (0 first), what it was,
// and where in that filter's input.
struct TFilterDiagnostic {
    TMessageCode Code = TMessageCode::Uncoded;
    int32_t Filter = 0;
    std::string Name;  // as in the /Filter list, "/LZWDecode"
    int64_t Offset = 0;

    bool operator==(const TFilterDiagnostic&) const = default;
};

// Bytes on demand.
class TPullSource {
public:
    TPullSource() = default;
    TPullSource(const TPullSource&) = delete;
    TPullSource& operator=(const TPullSource&) = delete;
    virtual ~TPullSource() = default;

    // Fills the front of Out; returns how many bytes came, 0 only at the end
    // of the data (after damage too).
    virtual size_t Read(std::span<uint8_t> Out) = 0;
};

// A stage's view of its input: the bytes at hand and how far it has read.
class TStageInput {
public:
    // The stream's own bytes, read in place.
    explicit TStageInput(std::span<const uint8_t> Data);
    // The stage before, read through a buffer of BufferSize bytes, taking at
    // most Limit bytes from it: a bomb in the middle of a chain would
    // otherwise keep the stages after it busy without end.
    TStageInput(TPullSource& Upstream, int64_t Limit);

    static constexpr size_t BufferSize = 16 * 1024;

    // The unread bytes at hand, refilled once all are consumed; empty at the
    // end of the input.
    std::span<const uint8_t> Peek() {
        if (FAt.empty()) Refill();
        return FAt;
    }
    void Consume(size_t Count) {
        FAt = FAt.subspan(Count);
        FOffset += static_cast<int64_t>(Count);
    }
    // The next byte; false at the end.
    bool Next(uint8_t& Byte) {
        if (FAt.empty() && !Refill()) return false;
        Byte = FAt.front();
        Consume(1);
        return true;
    }
    // Bytes consumed so far: where the next byte stands in the input.
    int64_t Offset() const { return FOffset; }
    // The limit ended this input while the stage before still had bytes.
    bool Cut() const { return FCut; }
    // The whole of the stream's own bytes, before any is consumed; empty
    // when the input comes from a stage.
    std::span<const uint8_t> Whole() const { return FUpstream == nullptr && FOffset == 0 ? FAt : std::span<const uint8_t>(); }

private:
    bool Refill();

    TPullSource* FUpstream = nullptr;
    int64_t FLimit = 0;  // bytes still to take from the upstream
    bool FCut = false;
    bool FProbed = false;  // whether the upstream was asked for a byte past the limit
    std::unique_ptr<uint8_t[]> FBuffer;
    std::span<const uint8_t> FAt;
    int64_t FOffset = 0;
};

// What every decoder shares: its input, and the one place its damage goes.
class TFilterStage : public TPullSource {
public:
    explicit TFilterStage(TStageInput Input) : FInput(std::move(Input)) {}

    // Where the pipeline collects damage, and which filter this stage is.
    void ReportTo(std::vector<TFilterDiagnostic>& Diagnostics, int32_t Filter, std::string Name) {
        FDiagnostics = &Diagnostics;
        FFilter = Filter;
        FName = std::move(Name);
    }

protected:
    TStageInput& Input() { return FInput; }
    // Records damage at Offset of the input; the stage then gives what it
    // still holds and ends.
    void Fail(TMessageCode Code, int64_t Offset) {
        if (FDone) return;
        FDone = true;
        if (FDiagnostics != nullptr) FDiagnostics->push_back({Code, FFilter, FName, Offset});
    }
    // Ends the data without damage.
    void Finish() { FDone = true; }
    bool Done() const { return FDone; }

public:
    // The stage before gave more than this stage's input takes.
    bool InputCut() const { return FInput.Cut(); }

private:
    TStageInput FInput;
    std::vector<TFilterDiagnostic>* FDiagnostics = nullptr;
    int32_t FFilter = 0;
    std::string FName;
    bool FDone = false;
};

}  // namespace lumerra
