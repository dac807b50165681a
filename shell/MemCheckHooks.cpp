// The program's replacement of the global allocation operators, through
// which MemCheck counts the program's own blocks. Linked into the
// executable only (and into the test that checks the accounting), never
// into the shell library.
//
// Over-aligned allocations (operator new with std::align_val_t) keep the
// standard library's own pair of operators and are not counted.
//
// Sanitizer builds leave all of this out: AddressSanitizer brings its own
// operator new and delete, and its leak checker does the accounting there.
#include <cstddef>
#include <new>

#include "shell/MemCheck.h"

#if !defined(LUMERRA_SANITIZER_BUILD) && !defined(__SANITIZE_ADDRESS__)

namespace {

void* Allocate(std::size_t Size, const void* Caller) {
    for (;;) {
        if (void* block = lumerra::MemCheck::CountingGetMem(Size, Caller)) return block;
        const std::new_handler handler = std::get_new_handler();
        if (handler == nullptr) throw std::bad_alloc();
        handler();
    }
}

void* AllocateNoThrow(std::size_t Size, const void* Caller) noexcept {
    try {
        return Allocate(Size, Caller);
    } catch (...) {
        return nullptr;
    }
}

}  // namespace

namespace lumerra::MemCheck {
bool HooksInstalled() { return true; }
}  // namespace lumerra::MemCheck

// noinline keeps the return address that of the allocating call.
__attribute__((noinline)) void* operator new(std::size_t Size) { return Allocate(Size, __builtin_return_address(0)); }
__attribute__((noinline)) void* operator new[](std::size_t Size) { return Allocate(Size, __builtin_return_address(0)); }
__attribute__((noinline)) void* operator new(std::size_t Size, const std::nothrow_t&) noexcept {
    return AllocateNoThrow(Size, __builtin_return_address(0));
}
__attribute__((noinline)) void* operator new[](std::size_t Size, const std::nothrow_t&) noexcept {
    return AllocateNoThrow(Size, __builtin_return_address(0));
}

void operator delete(void* Block) noexcept { lumerra::MemCheck::CountingFreeMem(Block); }
void operator delete[](void* Block) noexcept { lumerra::MemCheck::CountingFreeMem(Block); }
void operator delete(void* Block, std::size_t) noexcept { lumerra::MemCheck::CountingFreeMem(Block); }
void operator delete[](void* Block, std::size_t) noexcept { lumerra::MemCheck::CountingFreeMem(Block); }
void operator delete(void* Block, const std::nothrow_t&) noexcept { lumerra::MemCheck::CountingFreeMem(Block); }
void operator delete[](void* Block, const std::nothrow_t&) noexcept { lumerra::MemCheck::CountingFreeMem(Block); }

#endif
