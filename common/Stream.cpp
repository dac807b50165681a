#include "common/Stream.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "common/SystemError.h"

namespace lumerra {

// ---------------------------------------------------------------- TStream

int64_t TStream::Size() {
    const int64_t position = Position();
    const int64_t size = Seek(0, TSeekOrigin::soEnd);
    SetPosition(position);
    return size;
}

const uint8_t* TStream::ReadWindow(int32_t& available) {
    // A one-byte window serves streams without a buffer of their own.
    available = 0;
    if (Read(&FWindowByte, 1) != 1) return &FWindowByte;
    Seek(-1, TSeekOrigin::soCurrent);
    available = 1;
    return &FWindowByte;
}

void TStream::ReadBuffer(void* buffer, int32_t count) {
    if (count > 0 && Read(buffer, count) != count) throw EReadError();
}

void TStream::WriteBuffer(const void* buffer, int32_t count) {
    if (count > 0 && Write(buffer, count) != count) throw EWriteError();
}

int32_t TStream::CopyFrom(TStream& source, int32_t count) {
    // Straight from the source's read windows: no intermediate buffer.
    for (int32_t left = count; left > 0;) {
        int32_t available;
        const uint8_t* window = source.ReadWindow(available);
        if (available <= 0) throw EReadError();
        const int32_t n = std::min(left, available);
        WriteBuffer(window, n);
        source.Seek(n, TSeekOrigin::soCurrent);
        left -= n;
    }
    return std::max(count, 0);
}

void TStream::RaiseInvalidPosition() { throw EStreamError("Invalid stream position"); }

// ------------------------------------------------------------ TFileStream

namespace {

std::string SystemReason() { return SystemErrorText(errno); }

}  // namespace

TFileStream::TFileStream(const std::string& fileName, TMode mode) : FFileName(fileName) {
    if (mode == TMode::OpenRead || mode == TMode::OpenReadLarge) {
        const auto what = [&fileName](std::string Reason) {
            return MakeMessage(TMessageCode::CannotOpenFile, fileName, std::move(Reason));
        };
        FHandle.Reset(::open(fileName.c_str(), O_RDONLY | O_CLOEXEC));
        if (!FHandle.Valid()) throw EFOpenError(what(SystemReason()));
        struct stat info {};
        if (::fstat(FHandle.Get(), &info) != 0) throw EFOpenError(what(SystemReason()));
        if (S_ISDIR(info.st_mode)) throw EFOpenError(what("It is a folder."));
        if (!S_ISREG(info.st_mode)) throw EFOpenError(what("It is not a regular file."));
        if (info.st_size > INT32_MAX && mode != TMode::OpenReadLarge)
            throw EFOpenError(what("Files of 2 GiB or more are not supported."));
        // Other writers are kept out while the file is read: a writer asks for
        // an exclusive lock, which fails while this shared one is held.
        if (::flock(FHandle.Get(), LOCK_SH | LOCK_NB) != 0)
            throw EFOpenError(what("Another process is writing to it."));
        FSize = info.st_size;
    } else {
        FHandle.Reset(::open(fileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
        if (!FHandle.Valid())
            throw EFCreateError("Cannot create file \"" + fileName + "\". " + SystemReason());
    }
}

TFileStream::TFileStream(std::string fileName, UniqueFd handle)
    : FFileName(std::move(fileName)), FHandle(std::move(handle)) {}

std::unique_ptr<TFileStream> TFileStream::CreateTemporary() {
    const char* folder = std::getenv("TMPDIR");
    std::string pattern = std::string(folder != nullptr && *folder != '\0' ? folder : "/tmp") + "/lumerra-XXXXXX";
    UniqueFd handle(::mkostemp(pattern.data(), O_CLOEXEC));
    if (!handle.Valid()) throw EFCreateError("Cannot create a temporary file in \"" + pattern + "\". " + SystemReason());
    ::unlink(pattern.c_str());
    return std::unique_ptr<TFileStream>(new TFileStream(pattern, std::move(handle)));
}

std::unique_ptr<TFileStream> TFileStream::Duplicate() const {
    UniqueFd handle(::fcntl(FHandle.Get(), F_DUPFD_CLOEXEC, 0));
    if (!handle.Valid()) throw EFOpenError("Cannot open file \"" + FFileName + "\" again. " + SystemReason());
    auto copy = std::unique_ptr<TFileStream>(new TFileStream(FFileName, std::move(handle)));
    copy->FSize = FSize;
    copy->FOrigin = FOrigin;
    return copy;
}

void TFileStream::StartAt(int64_t Origin) {
    if (Origin < 0 || Origin > FSize) RaiseInvalidPosition();
    DropBlocks();
    FOrigin += Origin;
    FSize -= Origin;
    FPosition = 0;
}

void TFileStream::EndAt(int64_t End) {
    if (End < 0 || End > FSize) RaiseInvalidPosition();
    DropBlocks();
    FSize = End;
    FPosition = std::min(FPosition, FSize);
}

TFileStream::~TFileStream() {
    try {
        Flush();
    } catch (const Exception&) {
        // A destructor cannot report; callers that care call Flush first.
    }
}

void TFileStream::WriteThrough(const uint8_t* data, int32_t count, int64_t offset) {
    while (count > 0) {
        const ssize_t n = ::pwrite(FHandle.Get(), data, static_cast<size_t>(count), offset);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw EWriteError("Stream write error: " + FFileName + ": " + SystemReason());
        data += n;
        offset += n;
        count -= static_cast<int32_t>(n);
    }
}

void TFileStream::Flush() {
    const int32_t pending = FPendingWrite;
    FPendingWrite = 0;
    if (pending > 0) WriteThrough(FWriteBuffer.get(), pending, FWriteStart);
}

void TFileStream::DropBlocks() {
    for (TBlock& block : FBlocks) {
        block.Start = -1;
        block.Length = 0;
    }
}

bool TFileStream::SelectBlock() {
    const int64_t start = FPosition - FPosition % BlockSize;
    int victim = 0;
    for (int i = 0; i < BlockCount; ++i) {
        if (FBlocks[i].Start == start && FPosition - start < FBlocks[i].Length) {
            FCurrent = i;
            FBlocks[i].LastUse = ++FUseClock;
            return true;
        }
        if (FBlocks[i].LastUse < FBlocks[victim].LastUse) victim = i;
    }
    TBlock& block = FBlocks[victim];
    if (!block.Data) block.Data = std::make_unique_for_overwrite<uint8_t[]>(BlockSize);
    // Never past the size: a file read as a shorter one (EndAt) ends there.
    const auto wanted = static_cast<size_t>(std::clamp<int64_t>(FSize - start, 0, BlockSize));
    ssize_t n = 0;
    if (wanted > 0) {
        do {
            n = ::pread(FHandle.Get(), block.Data.get(), wanted, start + FOrigin);
        } while (n < 0 && errno == EINTR);
    }
    // A read error (a file that vanished under us) reads as the end.
    block.Start = start;
    block.Length = n > 0 ? static_cast<int32_t>(n) : 0;
    block.LastUse = ++FUseClock;
    FCurrent = victim;
    return FPosition - start < block.Length;
}

int32_t TFileStream::Read(void* buffer, int32_t count) {
    if (count <= 0) return 0;
    if (FPendingWrite > 0) Flush();
    auto* out = static_cast<uint8_t*>(buffer);
    int32_t done = 0;
    while (done < count) {
        const TBlock& current = FBlocks[FCurrent];
        const int64_t index = FPosition - current.Start;
        if (current.Start >= 0 && index >= 0 && index < current.Length) {
            const int32_t n = std::min<int32_t>(count - done, current.Length - static_cast<int32_t>(index));
            std::memcpy(out + done, current.Data.get() + index, static_cast<size_t>(n));
            done += n;
            FPosition += n;
            continue;
        }
        if (count - done >= BlockSize) {
            // Large reads go straight to the caller's buffer.
            const int64_t wanted = std::min<int64_t>(count - done, FSize - FPosition);
            if (wanted <= 0) break;
            const ssize_t n = ::pread(FHandle.Get(), out + done, static_cast<size_t>(wanted), FPosition + FOrigin);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += static_cast<int32_t>(n);
            FPosition += n;
            continue;
        }
        if (!SelectBlock()) break;
    }
    return done;
}

const uint8_t* TFileStream::ReadWindow(int32_t& available) {
    if (FPendingWrite > 0) Flush();
    const TBlock* block = &FBlocks[FCurrent];
    int64_t index = FPosition - block->Start;
    if (block->Start < 0 || index < 0 || index >= block->Length) {
        available = 0;
        if (!SelectBlock()) return nullptr;
        block = &FBlocks[FCurrent];
        index = FPosition - block->Start;
    }
    available = block->Length - static_cast<int32_t>(index);
    return block->Data.get() + index;
}

int32_t TFileStream::Write(const void* buffer, int32_t count) {
    if (count <= 0) return 0;
    if (FPosition + count > INT32_MAX) throw EWriteError("Stream write error: the file would reach 2 GiB");
    DropBlocks();  // cached read data is stale once we write
    const bool appends = FPendingWrite > 0 && FPosition == FWriteStart + FPendingWrite;
    if (!appends || FPendingWrite + count > WriteBufferSize) {
        Flush();
        FWriteStart = FPosition;
    }
    if (count >= WriteBufferSize) {
        WriteThrough(static_cast<const uint8_t*>(buffer), count, FPosition);  // large writes bypass the buffer
    } else {
        if (!FWriteBuffer) FWriteBuffer = std::make_unique_for_overwrite<uint8_t[]>(WriteBufferSize);
        std::memcpy(FWriteBuffer.get() + FPendingWrite, buffer, static_cast<size_t>(count));
        FPendingWrite += count;
    }
    FPosition += count;
    FSize = std::max(FSize, FPosition);
    return count;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
    const int64_t target = ResolveSeek(FPosition, FSize, offset, origin, INT64_MAX);
    if (FPendingWrite > 0 && target != FPosition) Flush();
    FPosition = target;
    return target;
}

// ---------------------------------------------------------- TMemoryStream

int32_t TMemoryStream::Read(void* buffer, int32_t count) {
    if (count <= 0 || FPosition >= FSize) return 0;
    const int32_t n = std::min(count, FSize - FPosition);
    std::memcpy(buffer, FMemory.get() + FPosition, static_cast<size_t>(n));
    FPosition += n;
    return n;
}

int32_t TMemoryStream::Write(const void* buffer, int32_t count) {
    if (count <= 0) return 0;
    const int64_t end = int64_t{FPosition} + count;
    if (end > INT32_MAX) throw EWriteError("Stream write error: memory stream would reach 2 GiB");
    if (end > FCapacity) Reserve(end);
    if (FPosition > FSize) std::memset(FMemory.get() + FSize, 0, static_cast<size_t>(FPosition - FSize));
    std::memcpy(FMemory.get() + FPosition, buffer, static_cast<size_t>(count));
    FPosition = static_cast<int32_t>(end);
    FSize = std::max(FSize, FPosition);
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    FPosition = static_cast<int32_t>(ResolveSeek(FPosition, FSize, offset, origin));
    return FPosition;
}

void TMemoryStream::Reserve(int64_t capacity) {
    if (capacity <= FCapacity) return;
    // Geometric growth keeps a run of small writes linear in total.
    int64_t grown = std::max<int64_t>(capacity, int64_t{FCapacity} + FCapacity / 2);
    grown = std::min<int64_t>(std::max<int64_t>(grown, 256), INT32_MAX);
    auto memory = std::make_unique_for_overwrite<uint8_t[]>(static_cast<size_t>(grown));
    if (FSize > 0) std::memcpy(memory.get(), FMemory.get(), static_cast<size_t>(FSize));
    FMemory = std::move(memory);
    FCapacity = static_cast<int32_t>(grown);
}

void TMemoryStream::SetSize(int32_t size) {
    if (size < 0) throw EStreamError("Invalid stream size");
    if (size > FCapacity) Reserve(size);
    if (size > FSize) std::memset(FMemory.get() + FSize, 0, static_cast<size_t>(size - FSize));
    FSize = size;
    FPosition = std::min(FPosition, FSize);
}

void TMemoryStream::Clear() {
    FMemory.reset();
    FSize = FCapacity = FPosition = 0;
}

int32_t TMemoryView::Read(void* buffer, int32_t count) {
    const int32_t n = std::clamp(FSize - FPosition, 0, std::max(count, 0));
    if (n > 0) std::memcpy(buffer, FData + FPosition, static_cast<size_t>(n));
    FPosition += n;
    return n;
}

int32_t TMemoryView::Write(const void*, int32_t) { throw EWriteError("Stream write error: a memory view is read only"); }

std::unique_ptr<TStream> SecondReader(TStream& Source) {
    if (const auto* file = dynamic_cast<const TFileStream*>(&Source)) return file->Duplicate();
    if (auto* memory = dynamic_cast<TMemoryStream*>(&Source))
        return std::make_unique<TMemoryView>(memory->Memory(), memory->Size());
    if (const auto* view = dynamic_cast<const TMemoryView*>(&Source)) return view->Duplicate();
    return nullptr;
}

}  // namespace lumerra
