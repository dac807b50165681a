// Seekable byte streams: the open PDF file, the report file and memory.
//
// Positions and sizes are 64-bit. Memory streams and written files stay
// below 2 GiB; a file of 2 GiB or more is read only when it is opened for
// that (extended reading), and refused otherwise.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "common/Exceptions.h"
#include "common/UniqueFd.h"

namespace lumerra {

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
    TStream() = default;
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;
    virtual ~TStream() = default;

    // Plain read: returns how many bytes were read, 0 at the end.
    virtual int32_t Read(void* buffer, int32_t count) = 0;
    // Returns how many bytes were written.
    virtual int32_t Write(const void* buffer, int32_t count) = 0;
    // Returns the new position. A position before the start, or one past
    // what the stream can hold, raises EStreamError.
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
    virtual int64_t Size();

    int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(int64_t position) { Seek(position, TSeekOrigin::soBeginning); }

    // One byte; false at the end. Streams override it with a path that
    // costs no more than a few instructions.
    virtual bool ReadByte(uint8_t& byte) { return Read(&byte, 1) == 1; }

    // The bytes readable at the current position without a system call:
    // returns them and sets available (0 at the end). The position does not
    // move; the bytes stay valid until the next operation on the stream.
    // Lexers scan these windows instead of calling ReadByte for every byte.
    virtual const uint8_t* ReadWindow(int32_t& available);

    // Exact read: raises EReadError when fewer than count bytes remain.
    void ReadBuffer(void* buffer, int32_t count);
    // Raises EWriteError when not every byte could be written.
    void WriteBuffer(const void* buffer, int32_t count);
    // Copies count bytes from source's current position; raises EReadError
    // when the source ends first (the bytes copied before that stay written).
    int32_t CopyFrom(TStream& source, int32_t count);

private:
    uint8_t FWindowByte = 0;  // the default ReadWindow's one-byte window

protected:
    // The position that Seek would reach, or EStreamError when it is outside
    // 0 .. Limit. Inline, since the lexers move the position after every
    // token.
    static int64_t ResolveSeek(int64_t current, int64_t size, int64_t offset, TSeekOrigin origin,
                               int64_t Limit = INT32_MAX) {
        int64_t target = offset;
        if (origin == TSeekOrigin::soCurrent) target += current;
        if (origin == TSeekOrigin::soEnd) target += size;
        if (target < 0 || target > Limit) RaiseInvalidPosition();
        return target;
    }
    [[noreturn]] static void RaiseInvalidPosition();
};

// A file on disk. Reads go through a few cached blocks, so that byte-at-a-
// time reading, steps back, and jumps between a handful of places in the file
// (a page, its shared fonts and forms) cost no system call; writes are
// buffered.
class TFileStream final : public TStream {
public:
    enum class TMode {
        OpenRead,      // read only; other writers are locked out (shared flock)
        OpenReadLarge, // the same, and 2 GiB or more is no refusal
        Create         // created, or truncated when it exists; write only
    };

    TFileStream(const std::string& fileName, TMode mode);
    ~TFileStream() override;  // writes what is buffered; errors are lost

    // A new file for reading and writing in the temporary folder ($TMPDIR or
    // /tmp), already unlinked, so that it disappears with the stream whatever
    // happens to the program.
    static std::unique_ptr<TFileStream> CreateTemporary();
    // A second reader of the same open file, with its own position and
    // blocks: reads are positioned, so the two never disturb each other.
    std::unique_ptr<TFileStream> Duplicate() const;

    int32_t Read(void* buffer, int32_t count) override;
    bool ReadByte(uint8_t& byte) override {
        const int64_t index = FPosition - FBlocks[FCurrent].Start;
        if (index >= 0 && index < FBlocks[FCurrent].Length) {
            byte = FBlocks[FCurrent].Data[index];
            ++FPosition;
            return true;
        }
        return Read(&byte, 1) == 1;
    }
    const uint8_t* ReadWindow(int32_t& available) override;
    int32_t Write(const void* buffer, int32_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return FSize; }

    // Reads the file as if it began Origin bytes in: positions and the size
    // count from there (a PDF whose header follows a few bytes of junk).
    void StartAt(int64_t Origin);
    // Reads the file as if it ended End bytes after position 0: the file as
    // an earlier revision of it left it. Only shortens.
    void EndAt(int64_t End);

    // Writes the buffered bytes; raises EWriteError when that fails.
    void Flush();
    const std::string& FileName() const { return FFileName; }
    int Handle() const { return FHandle.Get(); }

private:
    struct TBlock {
        std::unique_ptr<uint8_t[]> Data;
        int64_t Start = -1;   // file offset of Data[0]; -1 when empty
        int32_t Length = 0;   // bytes of Data valid
        uint64_t LastUse = 0;
    };

    TFileStream(std::string fileName, UniqueFd handle);
    // Makes FCurrent the block that holds FPosition; false at the end.
    bool SelectBlock();
    void DropBlocks();
    void WriteThrough(const uint8_t* data, int32_t count, int64_t offset);

    static constexpr int32_t BlockSize = 16 * 1024;
    static constexpr int BlockCount = 4;
    static constexpr int32_t WriteBufferSize = 64 * 1024;

    std::string FFileName;
    UniqueFd FHandle;
    int64_t FSize = 0;
    int64_t FPosition = 0;
    int64_t FOrigin = 0;  // file offset of position 0
    TBlock FBlocks[BlockCount];
    int FCurrent = 0;
    uint64_t FUseClock = 0;
    std::unique_ptr<uint8_t[]> FWriteBuffer;  // allocated on the first write
    int64_t FWriteStart = 0;                  // file offset of FWriteBuffer[0]
    int32_t FPendingWrite = 0;                // bytes of FWriteBuffer not yet written
};

// Bytes in memory, addressable directly. Grows geometrically.
class TMemoryStream final : public TStream {
public:
    TMemoryStream() = default;

    int32_t Read(void* buffer, int32_t count) override;
    bool ReadByte(uint8_t& byte) override {
        if (FPosition >= FSize) return false;
        byte = FMemory[static_cast<size_t>(FPosition++)];
        return true;
    }
    const uint8_t* ReadWindow(int32_t& available) override {
        available = FPosition < FSize ? FSize - FPosition : 0;
        return FMemory.get() + (available > 0 ? FPosition : 0);
    }
    int32_t Write(const void* buffer, int32_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return FSize; }

    uint8_t* Memory() { return FMemory.get(); }
    int32_t Capacity() const { return FCapacity; }
    const uint8_t* Memory() const { return FMemory.get(); }
    // Shrinking keeps the capacity; the position is clamped to the new size.
    void SetSize(int32_t size);
    // Empties the stream and releases its memory.
    void Clear();

private:
    void Reserve(int64_t capacity);

    std::unique_ptr<uint8_t[]> FMemory;
    int32_t FSize = 0;
    int32_t FCapacity = 0;
    int32_t FPosition = 0;
};

// Bytes in memory that something else owns and keeps unchanged while the
// view lives, read with a position of the view's own. Writing is refused.
class TMemoryView final : public TStream {
public:
    TMemoryView(const uint8_t* Data, int32_t Size) : FData(Data), FSize(Size) {}

    int32_t Read(void* buffer, int32_t count) override;
    bool ReadByte(uint8_t& byte) override {
        if (FPosition >= FSize) return false;
        byte = FData[FPosition++];
        return true;
    }
    const uint8_t* ReadWindow(int32_t& available) override {
        available = FPosition < FSize ? FSize - FPosition : 0;
        return FData + (available > 0 ? FPosition : 0);
    }
    int32_t Write(const void* buffer, int32_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override {
        FPosition = static_cast<int32_t>(ResolveSeek(FPosition, FSize, offset, origin));
        return FPosition;
    }
    int64_t Size() override { return FSize; }
    const uint8_t* Data() const { return FData; }
    // A second view of the same bytes, with a position of its own.
    std::unique_ptr<TMemoryView> Duplicate() const { return std::make_unique<TMemoryView>(FData, FSize); }

private:
    const uint8_t* FData;
    int32_t FSize;
    int32_t FPosition = 0;
};

// A second reader of Source's bytes with a position of its own (the same
// open file, or a view of the same memory); Source, or for a view the bytes
// it shows, must outlive it. Null for a stream that cannot be read twice.
std::unique_ptr<TStream> SecondReader(TStream& Source);

}  // namespace lumerra
