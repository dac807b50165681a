// MemCheck: the allocation accounting that warns at exit about memory blocks
// the program left unreleased.
//
// Every block handed out by the program's replacement of the global
// operator new carries a small header. A block is counted when it was
// allocated while the accounting is on and the call came from the program's
// own code (the executable's machine code: the shell, the document library,
// inlined standard containers), not from a shared library. So the window
// toolkit's own process-lifetime caches, which it allocates inside its
// libraries, never show up as leaks, while a block our code forgets does.
//
// The replacement operators live in MemCheckHooks.cpp, which only the
// program (and the test that checks the accounting) links in. Sanitizer
// builds leave them out: the sanitizer's allocator and leak checker take
// over, and LiveBlockCount stays 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace lumerra::MemCheck {

// Switches the accounting on: LiveBlockCount starts again at 0 and blocks
// counted in an earlier session no longer count.
void Start();
// Switches it off and returns LiveBlockCount at that moment.
int64_t Stop();
bool Active();

// Counted blocks allocated and not yet released in this session.
int64_t LiveBlockCount();

// True when Address lies in the machine code of the executable itself.
bool IsProgramCode(const void* Address);

// The allocator under the replacement operators. CountingGetMem returns
// nullptr when the memory is exhausted; Caller is the return address of the
// allocating call (nullptr: never counted).
void* CountingGetMem(std::size_t Size, const void* Caller) noexcept;
void CountingFreeMem(void* Block) noexcept;
// Keeps the block's counted state wherever the block moves; a null Block
// allocates, a zero Size releases (and returns nullptr).
void* CountingReallocMem(void* Block, std::size_t Size, const void* Caller) noexcept;

// Whether a block obtained from CountingGetMem is counted (for tests).
bool IsCounted(const void* Block) noexcept;

// "メモリーリークエラー" and "N 回メモリーを解放し忘れています".
std::string LeakWarningCaption();
std::string LeakWarningText(int64_t Count);

// True when this build counts through the replacement operators (false in
// sanitizer builds).
bool HooksInstalled();

}  // namespace lumerra::MemCheck
