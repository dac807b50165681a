#include "shell/MemCheck.h"

#include <link.h>

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace lumerra::MemCheck {

namespace {

// Sits in front of every block. 16 bytes, so the block keeps the alignment
// that malloc gives and operator new promises.
struct alignas(16) TBlockHeader {
    uint32_t Magic;
    uint32_t Session;  // the counting session that counted it; 0: not counted
    uint64_t Reserved;
};
static_assert(sizeof(TBlockHeader) == 16);

constexpr uint32_t HeaderMagic = 0x4C4D4348;  // "LMCH"

std::atomic<bool> GActive{false};
std::atomic<uint32_t> GSession{0};
std::atomic<int64_t> GLiveBlockCount{0};

// Executable segments of the program itself, recorded by Start. Plain
// arrays: the allocator must not allocate to look at them.
struct TCodeRange {
    uintptr_t First = 0;
    uintptr_t Last = 0;  // one past the end
};
constexpr int MaxCodeRanges = 8;
TCodeRange GCodeRanges[MaxCodeRanges];
std::atomic<int> GCodeRangeCount{0};

int RecordProgramSegments(dl_phdr_info* Info, size_t, void*) {
    // The first object reported is the executable; stop after it.
    int count = 0;
    for (int i = 0; i < Info->dlpi_phnum && count < MaxCodeRanges; ++i) {
        const ElfW(Phdr)& header = Info->dlpi_phdr[i];
        if (header.p_type != PT_LOAD || (header.p_flags & PF_X) == 0) continue;
        GCodeRanges[count].First = Info->dlpi_addr + header.p_vaddr;
        GCodeRanges[count].Last = GCodeRanges[count].First + header.p_memsz;
        ++count;
    }
    GCodeRangeCount.store(count, std::memory_order_release);
    return 1;
}

TBlockHeader* HeaderOf(void* Block) noexcept {
    return static_cast<TBlockHeader*>(Block) - 1;
}

bool ShouldCount(const void* Caller) noexcept {
    return Caller != nullptr && GActive.load(std::memory_order_acquire) && IsProgramCode(Caller);
}

// Releasing a block counted in the running session takes it off the count.
void Uncount(const TBlockHeader& Header) noexcept {
    if (Header.Session != 0 && GActive.load(std::memory_order_acquire) &&
        Header.Session == GSession.load(std::memory_order_acquire))
        GLiveBlockCount.fetch_sub(1, std::memory_order_relaxed);
}

}  // namespace

void Start() {
    if (GCodeRangeCount.load(std::memory_order_acquire) == 0) dl_iterate_phdr(RecordProgramSegments, nullptr);
    GLiveBlockCount.store(0, std::memory_order_relaxed);
    GSession.fetch_add(1, std::memory_order_acq_rel);
    GActive.store(true, std::memory_order_release);
}

int64_t Stop() {
    GActive.store(false, std::memory_order_release);
    return GLiveBlockCount.load(std::memory_order_relaxed);
}

bool Active() { return GActive.load(std::memory_order_acquire); }

int64_t LiveBlockCount() { return GLiveBlockCount.load(std::memory_order_relaxed); }

bool IsProgramCode(const void* Address) {
    const auto address = reinterpret_cast<uintptr_t>(Address);
    const int count = GCodeRangeCount.load(std::memory_order_acquire);
    for (int i = 0; i < count; ++i)
        if (address >= GCodeRanges[i].First && address < GCodeRanges[i].Last) return true;
    return false;
}

void* CountingGetMem(std::size_t Size, const void* Caller) noexcept {
    if (Size > SIZE_MAX - sizeof(TBlockHeader)) return nullptr;
    auto* header = static_cast<TBlockHeader*>(std::malloc(sizeof(TBlockHeader) + Size));
    if (header == nullptr) return nullptr;
    header->Magic = HeaderMagic;
    header->Session = 0;
    header->Reserved = 0;
    if (ShouldCount(Caller)) {
        header->Session = GSession.load(std::memory_order_acquire);
        GLiveBlockCount.fetch_add(1, std::memory_order_relaxed);
    }
    return header + 1;
}

void CountingFreeMem(void* Block) noexcept {
    if (Block == nullptr) return;
    TBlockHeader* header = HeaderOf(Block);
    Uncount(*header);
    header->Magic = 0;
    std::free(header);
}

void* CountingReallocMem(void* Block, std::size_t Size, const void* Caller) noexcept {
    if (Block == nullptr) return CountingGetMem(Size, Caller);
    if (Size == 0) {
        CountingFreeMem(Block);
        return nullptr;
    }
    if (Size > SIZE_MAX - sizeof(TBlockHeader)) return nullptr;
    // The header travels with the data, so a moved block keeps its counted
    // state: one block released and one allocated leave the count as it was.
    void* moved = std::realloc(HeaderOf(Block), sizeof(TBlockHeader) + Size);
    if (moved == nullptr) return nullptr;
    return static_cast<TBlockHeader*>(moved) + 1;
}

bool IsCounted(const void* Block) noexcept {
    if (Block == nullptr) return false;
    const auto* header = static_cast<const TBlockHeader*>(Block) - 1;
    return header->Session != 0 && header->Session == GSession.load(std::memory_order_acquire);
}

std::string LeakWarningCaption() { return "メモリーリークエラー"; }

std::string LeakWarningText(int64_t Count) { return std::to_string(Count) + " 回メモリーを解放し忘れています"; }

// MemCheckHooks.cpp, when linked in, replaces this with one that says yes.
__attribute__((weak)) bool HooksInstalled() { return false; }

}  // namespace lumerra::MemCheck
