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

namespace lumerra {

// ---------------------------------------------------------------- TStream

int32_t TStream::Size() {
    const int32_t position = Position();
    const int32_t size = Seek(0, TSeekOrigin::soEnd);
    SetPosition(position);
    return size;
}

void TStream::ReadBuffer(void* buffer, int32_t count) {
    if (count > 0 && Read(buffer, count) != count) throw EReadError();
}

void TStream::WriteBuffer(const void* buffer, int32_t count) {
    if (count > 0 && Write(buffer, count) != count) throw EWriteError();
}

int32_t TStream::CopyFrom(TStream& source, int32_t count) {
    if (count <= 0) return 0;
    // Memory streams need no intermediate buffer.
    if (auto* memory = dynamic_cast<TMemoryStream*>(&source)) {
        const int32_t position = memory->Position();
        const int32_t available = std::max(0, memory->Size() - position);
        const int32_t n = std::min(count, available);
        WriteBuffer(memory->Memory() + position, n);
        memory->SetPosition(position + n);
        if (n != count) throw EReadError();
        return count;
    }
    constexpr int32_t ChunkSize = 64 * 1024;
    const auto chunk = std::make_unique_for_overwrite<uint8_t[]>(ChunkSize);
    int32_t left = count;
    while (left > 0) {
        const int32_t n = std::min(left, ChunkSize);
        source.ReadBuffer(chunk.get(), n);
        WriteBuffer(chunk.get(), n);
        left -= n;
    }
    return count;
}

int32_t TStream::ResolveSeek(int64_t current, int64_t size, int32_t offset, TSeekOrigin origin) {
    int64_t target = offset;
    if (origin == TSeekOrigin::soCurrent) target += current;
    if (origin == TSeekOrigin::soEnd) target += size;
    if (target < 0 || target > INT32_MAX) throw EStreamError("Invalid stream position");
    return static_cast<int32_t>(target);
}

// ------------------------------------------------------------ TFileStream

namespace {

std::string SystemReason() { return std::strerror(errno); }

}  // namespace

TFileStream::TFileStream(const std::string& fileName, TMode mode)
    : FFileName(fileName), FBuffer(std::make_unique_for_overwrite<uint8_t[]>(BufferSize)) {
    if (mode == TMode::OpenRead) {
        const std::string what = "Cannot open file \"" + fileName + "\". ";
        FHandle.Reset(::open(fileName.c_str(), O_RDONLY | O_CLOEXEC));
        if (!FHandle.Valid()) throw EFOpenError(what + SystemReason());
        struct stat info {};
        if (::fstat(FHandle.Get(), &info) != 0) throw EFOpenError(what + SystemReason());
        if (S_ISDIR(info.st_mode)) throw EFOpenError(what + "It is a folder.");
        if (!S_ISREG(info.st_mode)) throw EFOpenError(what + "It is not a regular file.");
        if (info.st_size > INT32_MAX)
            throw EFOpenError(what + "Files of 2 GiB or more are not supported.");
        // Other writers are kept out while the file is read: a writer asks for
        // an exclusive lock, which fails while this shared one is held.
        if (::flock(FHandle.Get(), LOCK_SH | LOCK_NB) != 0)
            throw EFOpenError(what + "Another process is writing to it.");
        FSize = info.st_size;
    } else {
        FHandle.Reset(::open(fileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
        if (!FHandle.Valid())
            throw EFCreateError("Cannot create file \"" + fileName + "\". " + SystemReason());
    }
}

TFileStream::TFileStream(std::string fileName, UniqueFd handle)
    : FFileName(std::move(fileName)),
      FHandle(std::move(handle)),
      FBuffer(std::make_unique_for_overwrite<uint8_t[]>(BufferSize)) {}

std::unique_ptr<TFileStream> TFileStream::CreateTemporary() {
    const char* folder = std::getenv("TMPDIR");
    std::string pattern = std::string(folder != nullptr && *folder != '\0' ? folder : "/tmp") + "/lumerra-XXXXXX";
    UniqueFd handle(::mkostemp(pattern.data(), O_CLOEXEC));
    if (!handle.Valid()) throw EFCreateError("Cannot create a temporary file in \"" + pattern + "\". " + SystemReason());
    ::unlink(pattern.c_str());
    return std::unique_ptr<TFileStream>(new TFileStream(pattern, std::move(handle)));
}

TFileStream::~TFileStream() {
    try {
        Flush();
    } catch (const Exception&) {
        // A destructor cannot report; callers that care call Flush first.
    }
}

void TFileStream::Flush() {
    const uint8_t* data = FBuffer.get();
    int64_t offset = FBufferStart;
    int32_t left = FPendingWrite;
    FPendingWrite = 0;
    while (left > 0) {
        const ssize_t n = ::pwrite(FHandle.Get(), data, static_cast<size_t>(left), offset);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw EWriteError("Stream write error: " + FFileName + ": " + SystemReason());
        data += n;
        offset += n;
        left -= static_cast<int32_t>(n);
    }
}

void TFileStream::FillBuffer() {
    // Reading backwards (as the search for the end marker does) would refill
    // at every step if the window started at the position; end it at the old
    // window's start instead.
    const bool stepsBack = FBufferLength > 0 && FPosition < FBufferStart && FBufferStart - FPosition <= BufferSize;
    FBufferStart = stepsBack ? std::max<int64_t>(0, FBufferStart - BufferSize) : FPosition;
    FBufferLength = 0;
    for (;;) {
        const ssize_t n = ::pread(FHandle.Get(), FBuffer.get(), BufferSize, FBufferStart);
        if (n < 0 && errno == EINTR) continue;
        // A read error (a file that vanished under us) reads as the end.
        FBufferLength = n > 0 ? static_cast<int32_t>(n) : 0;
        return;
    }
}

int32_t TFileStream::Read(void* buffer, int32_t count) {
    if (count <= 0) return 0;
    if (FPendingWrite > 0) Flush();
    auto* out = static_cast<uint8_t*>(buffer);
    int32_t done = 0;
    while (done < count) {
        const int64_t inBuffer = FPosition - FBufferStart;
        if (inBuffer >= 0 && inBuffer < FBufferLength) {
            const int32_t n = std::min<int32_t>(count - done, FBufferLength - static_cast<int32_t>(inBuffer));
            std::memcpy(out + done, FBuffer.get() + inBuffer, static_cast<size_t>(n));
            done += n;
            FPosition += n;
            continue;
        }
        if (count - done >= BufferSize) {
            // Large reads go straight to the caller's buffer.
            const ssize_t n = ::pread(FHandle.Get(), out + done, static_cast<size_t>(count - done), FPosition);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += static_cast<int32_t>(n);
            FPosition += n;
            continue;
        }
        FillBuffer();
        if (FBufferLength == 0) break;
    }
    return done;
}

int32_t TFileStream::Write(const void* buffer, int32_t count) {
    if (count <= 0) return 0;
    if (FPosition + count > INT32_MAX) throw EWriteError("Stream write error: the file would reach 2 GiB");
    FBufferLength = 0;  // cached read data is stale once we write
    const bool appends = FPendingWrite > 0 && FPosition == FBufferStart + FPendingWrite;
    if (!appends || FPendingWrite + count > BufferSize) {
        Flush();
        FBufferStart = FPosition;
    }
    if (count >= BufferSize) {
        // Large writes bypass the buffer.
        const auto* data = static_cast<const uint8_t*>(buffer);
        int32_t left = count;
        int64_t offset = FPosition;
        while (left > 0) {
            const ssize_t n = ::pwrite(FHandle.Get(), data, static_cast<size_t>(left), offset);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) throw EWriteError("Stream write error: " + FFileName + ": " + SystemReason());
            data += n;
            offset += n;
            left -= static_cast<int32_t>(n);
        }
    } else {
        std::memcpy(FBuffer.get() + FPendingWrite, buffer, static_cast<size_t>(count));
        FPendingWrite += count;
    }
    FPosition += count;
    FSize = std::max(FSize, FPosition);
    return count;
}

int32_t TFileStream::Seek(int32_t offset, TSeekOrigin origin) {
    const int32_t target = ResolveSeek(FPosition, FSize, offset, origin);
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

int32_t TMemoryStream::Seek(int32_t offset, TSeekOrigin origin) {
    FPosition = ResolveSeek(FPosition, FSize, offset, origin);
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

}  // namespace lumerra
