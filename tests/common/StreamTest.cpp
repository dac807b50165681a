#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/Stream.h"
#include "support/PdfBuilder.h"

using namespace lumerra;
using namespace lumerra::test;

namespace {

// Bytes whose value depends on their position, so that a byte read from the
// wrong place shows.
std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) % 256);
    return bytes;
}

uint8_t ReadByte(TStream& S) {
    uint8_t c = 0;
    S.ReadBuffer(&c, 1);
    return c;
}

constexpr int32_t Window = 64 * 1024;
// Every cache block size the file stream might use is a multiple of this.
constexpr int32_t Boundary = 4 * 1024;

}  // namespace

// ---------------------------------------------------------------- reading a file

// Forward with steps back, the way the tokeniser reads, then backwards.
TEST(FileStreamRead, ByteByByteAcrossTheBufferBoundaryWithStepsBackAndBackwards) {
    const std::string bytes = Pattern(3 * Window + 123);
    TempFile file(bytes, "data.bin");
    TFileStream S(file.Path(), TFileStream::TMode::OpenRead);
    ASSERT_EQ(S.Size(), static_cast<int32_t>(bytes.size()));
    // A step back by one after every byte near a boundary.
    for (int32_t i = 0; i < S.Size(); ++i) {
        ASSERT_EQ(ReadByte(S), static_cast<uint8_t>(bytes[i])) << "at " << i;
        if (i % Boundary == 0 || i % Boundary == Boundary - 1) {
            S.Seek(-1, TSeekOrigin::soCurrent);
            ASSERT_EQ(ReadByte(S), static_cast<uint8_t>(bytes[i])) << "again at " << i;
        }
    }
    uint8_t c;
    EXPECT_EQ(S.Read(&c, 1), 0);
    EXPECT_THROW(S.ReadBuffer(&c, 1), EReadError);

    // A step back of a token's length over the boundary.
    S.SetPosition(Window - 3);
    char five[5];
    S.ReadBuffer(five, 5);  // ends two bytes into the second window
    EXPECT_EQ(std::string(five, 5), bytes.substr(Window - 3, 5));
    S.Seek(-5, TSeekOrigin::soCurrent);
    EXPECT_EQ(S.Position(), Window - 3);
    S.ReadBuffer(five, 5);
    EXPECT_EQ(std::string(five, 5), bytes.substr(Window - 3, 5));

    for (int32_t i = S.Size() - 1; i >= 0; --i) {
        S.SetPosition(i);
        ASSERT_EQ(ReadByte(S), static_cast<uint8_t>(bytes[i])) << "backwards at " << i;
    }
}

TEST(FileStreamRead, ByteByByteRoundRobinOverMorePlacesThanCachedBlocks) {
    const std::string bytes = Pattern(8 * Window);
    TempFile file(bytes, "data.bin");
    TFileStream S(file.Path(), TFileStream::TMode::OpenRead);
    // Eight readers taking turns, as nested object scans do.
    std::vector<int32_t> cursors;
    for (int32_t i = 0; i < 8; ++i) cursors.push_back(i * Window - (i > 0 ? 3 : 0));
    for (int round = 0; round < 2000; ++round) {
        for (int32_t& cursor : cursors) {
            S.SetPosition(cursor);
            ASSERT_EQ(ReadByte(S), static_cast<uint8_t>(bytes[cursor])) << cursor;
            uint8_t c = 0;
            ASSERT_TRUE(S.ReadByte(c));
            ASSERT_EQ(c, static_cast<uint8_t>(bytes[cursor + 1])) << cursor + 1;
            S.Seek(-1, TSeekOrigin::soCurrent);
            cursor = S.Position();
        }
    }
}

TEST(FileStreamRead, ReadWindowShowsTheBytesAtThePositionWithoutMoving) {
    const std::string bytes = Pattern(3 * Window);
    TempFile file(bytes, "data.bin");
    TFileStream S(file.Path(), TFileStream::TMode::OpenRead);
    for (const int32_t position : {0, Boundary - 1, Window - 1, Window, 2 * Window + 17, 3 * Window - 1}) {
        S.SetPosition(position);
        int32_t available = -1;
        const uint8_t* window = S.ReadWindow(available);
        ASSERT_GT(available, 0) << position;
        ASSERT_LE(available, 3 * Window - position);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(window), static_cast<size_t>(available)),
                  bytes.substr(static_cast<size_t>(position), static_cast<size_t>(available)));
        EXPECT_EQ(S.Position(), position);
    }
    S.SetPosition(3 * Window);
    int32_t available = -1;
    S.ReadWindow(available);
    EXPECT_EQ(available, 0);
    uint8_t c;
    EXPECT_FALSE(S.ReadByte(c));
}

TEST(FileStreamReadWrite, ReadsSeeWritesAndWritesReplaceCachedBytes) {
    auto S = TFileStream::CreateTemporary();
    const std::string bytes = Pattern(2 * Window);
    S->WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
    S->SetPosition(Window - 2);
    char four[4];
    S->ReadBuffer(four, 4);  // the bytes around the boundary are now cached
    EXPECT_EQ(std::string(four, 4), bytes.substr(Window - 2, 4));
    S->SetPosition(Window - 1);
    S->WriteBuffer("XY", 2);  // still pending in the write buffer
    S->SetPosition(Window - 2);
    S->ReadBuffer(four, 4);
    EXPECT_EQ(std::string(four, 4), bytes.substr(Window - 2, 1) + "XY" + bytes.substr(Window + 1, 1));
    S->SetPosition(Window);
    int32_t available = 0;
    const uint8_t* window = S->ReadWindow(available);
    ASSERT_GT(available, 0);
    EXPECT_EQ(window[0], 'Y');
    // Appending past the end grows the size seen by readers.
    S->SetPosition(S->Size());
    S->WriteBuffer("tail", 4);
    S->SetPosition(S->Size() - 4);
    S->ReadBuffer(four, 4);
    EXPECT_EQ(std::string(four, 4), "tail");
}

TEST(FileStreamRead, MixedSeeksAndReadsOfEverySize) {
    const std::string bytes = Pattern(5 * Window);
    TempFile file(bytes, "data.bin");
    TFileStream S(file.Path(), TFileStream::TMode::OpenRead);
    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245 + 12345; };
    std::string buffer(3 * Window, '\0');
    for (int round = 0; round < 400; ++round) {
        const int32_t position = static_cast<int32_t>(next() % bytes.size());
        // Mostly small reads, now and then one larger than the buffer.
        const int32_t count = static_cast<int32_t>(round % 17 == 0 ? Window + next() % Window : next() % 300);
        S.SetPosition(position);
        const int32_t n = S.Read(buffer.data(), count);
        const int32_t expected = std::min<int32_t>(count, static_cast<int32_t>(bytes.size()) - position);
        ASSERT_EQ(n, expected);
        ASSERT_EQ(buffer.substr(0, n), bytes.substr(position, n)) << "round " << round;
        ASSERT_EQ(S.Position(), position + n);
    }
}

TEST(FileStreamRead, ExactReadPastTheEndRaisesAndPlainReadReturnsWhatIsLeft) {
    TempFile file("abcdef", "data.bin");
    TFileStream S(file.Path(), TFileStream::TMode::OpenRead);
    char buffer[16];
    S.SetPosition(4);
    EXPECT_THROW(S.ReadBuffer(buffer, 3), EReadError);
    S.SetPosition(4);
    EXPECT_EQ(S.Read(buffer, 16), 2);
    EXPECT_EQ(std::string(buffer, 2), "ef");
    // A position past the end is allowed; reading there gives nothing.
    S.SetPosition(100);
    EXPECT_EQ(S.Read(buffer, 1), 0);
    EXPECT_THROW(S.Seek(-1, TSeekOrigin::soBeginning), EStreamError);
    EXPECT_EQ(S.Seek(-2, TSeekOrigin::soEnd), 4);
}

// A file read as its earlier revision left it: nothing past End is read,
// by any path (bytes, windows, small and large reads, a second reader).
TEST(FileStreamRead, EndAtCutsEveryReadAtTheNewEnd) {
    const std::string bytes = Pattern(3 * Window);
    TempFile file(bytes, "data.bin");
    TFileStream S(file.Path(), TFileStream::TMode::OpenRead);
    const int32_t end = Window + 5;
    S.EndAt(end);
    EXPECT_EQ(S.Size(), end);
    std::string large(2 * Window, '\0');
    S.SetPosition(0);
    EXPECT_EQ(S.Read(large.data(), 2 * Window), end);
    EXPECT_EQ(large.substr(0, end), bytes.substr(0, end));
    S.SetPosition(end - 1);
    EXPECT_EQ(ReadByte(S), static_cast<uint8_t>(bytes[end - 1]));
    uint8_t c = 0;
    EXPECT_FALSE(S.ReadByte(c));
    int32_t available = -1;
    S.SetPosition(end - 3);
    S.ReadWindow(available);
    EXPECT_EQ(available, 3);
    const std::unique_ptr<TFileStream> second = S.Duplicate();
    EXPECT_EQ(second->Size(), end);
    second->SetPosition(end);
    EXPECT_EQ(second->Read(large.data(), 10), 0);
    EXPECT_THROW(S.EndAt(end + 1), EStreamError);
}

// ------------------------------------------------------------- opening a file

TEST(FileStreamOpen, MissingFileFolderAndCreateInMissingFolderAreRefused) {
    TempFile file("x", "data.bin");
    EXPECT_THROW(TFileStream(file.Sibling("missing.pdf"), TFileStream::TMode::OpenRead), EFOpenError);
    EXPECT_THROW(TFileStream(file.Folder(), TFileStream::TMode::OpenRead), EFOpenError);
    EXPECT_THROW(TFileStream(file.Sibling("no/such/folder.txt"), TFileStream::TMode::Create), EFCreateError);
}

TEST(FileStreamOpen, FilesOf2GiBOrMoreAreRefused) {
    TempFile file("", "sparse.bin");
    // Sparse files: no disk space is used.
    std::filesystem::resize_file(file.Path(), INT32_MAX);
    EXPECT_EQ(TFileStream(file.Path(), TFileStream::TMode::OpenRead).Size(), INT32_MAX);
    std::filesystem::resize_file(file.Path(), uintmax_t{INT32_MAX} + 1);
    EXPECT_THROW(TFileStream(file.Path(), TFileStream::TMode::OpenRead), EFOpenError);
}

// ------------------------------------------------------------- writing a file

TEST(FileStreamWrite, SmallAndLargeWritesWithSeeksLandInPlace) {
    TempFile file("old contents that must vanish", "out.bin");
    const std::string big = Pattern(Window + 5000);
    {
        TFileStream S(file.Path(), TFileStream::TMode::Create);
        EXPECT_EQ(S.Size(), 0);
        S.WriteBuffer("head", 4);
        S.WriteBuffer(big.data(), static_cast<int32_t>(big.size()));
        S.WriteBuffer("tail", 4);
        EXPECT_EQ(S.Size(), static_cast<int32_t>(8 + big.size()));
        S.SetPosition(1);
        S.WriteBuffer("EA", 2);  // overwrite inside what was written
        S.Flush();
    }
    std::string expected = "hEAd" + big + "tail";
    EXPECT_EQ(ReadFileBytes(file.Path()), expected);
}

// --------------------------------------------------------------- memory

TEST(MemoryStream, GrowsOverManySmallWritesKeepingEveryByte) {
    TMemoryStream M;
    const std::string bytes = Pattern(300000);
    for (size_t i = 0; i < bytes.size(); i += 7) {
        const auto n = static_cast<int32_t>(std::min<size_t>(7, bytes.size() - i));
        M.WriteBuffer(bytes.data() + i, n);
    }
    ASSERT_EQ(M.Size(), static_cast<int32_t>(bytes.size()));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(M.Memory()), bytes.size()), bytes);
    M.SetPosition(1000);
    char buffer[10];
    EXPECT_EQ(M.Read(buffer, 10), 10);
    EXPECT_EQ(std::string(buffer, 10), bytes.substr(1000, 10));
}

TEST(MemoryStream, GrowthPastTheEndIsZeroFilledAndShrinkingClampsThePosition) {
    TMemoryStream M;
    M.WriteBuffer("ab", 2);
    M.SetPosition(6);
    M.WriteBuffer("z", 1);
    ASSERT_EQ(M.Size(), 7);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(M.Memory()), 7), std::string("ab\0\0\0\0z", 7));
    M.SetSize(1);
    EXPECT_EQ(M.Size(), 1);
    EXPECT_EQ(M.Position(), 1);
    M.SetSize(3);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(M.Memory()), 3), std::string("a\0\0", 3));
    EXPECT_THROW(M.SetSize(-1), EStreamError);
    M.Clear();
    EXPECT_EQ(M.Size(), 0);
    EXPECT_EQ(M.Position(), 0);
    char c;
    EXPECT_EQ(M.Read(&c, 1), 0);
    EXPECT_THROW(M.ReadBuffer(&c, 1), EReadError);
}

// ---------------------------------------------------------------- CopyFrom

// A copy starts at the source's position; a short source raises after
// writing what it had.
TEST(CopyFrom, FromMemoryStartsAtTheSourcePosition) {
    const struct {
        int32_t Position, Count;
        std::string Copied;
        bool Raises;
    } cases[] = {{3, 4, "3456", false}, {3, 0, "", false}, {8, 5, "89", true}};
    for (const auto& c : cases) {
        TMemoryStream source, target;
        source.WriteBuffer("0123456789", 10);
        source.SetPosition(c.Position);
        if (c.Raises) {
            EXPECT_THROW(target.CopyFrom(source, c.Count), EReadError);
        } else {
            EXPECT_EQ(target.CopyFrom(source, c.Count), c.Count);
            EXPECT_EQ(source.Position(), c.Position + c.Count);
        }
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(target.Memory()), static_cast<size_t>(target.Size())), c.Copied);
    }
}

TEST(CopyFrom, FromAFileInSeveralChunksAndIntoAFile) {
    const std::string bytes = Pattern(3 * Window + 99);
    TempFile file(bytes, "in.bin");
    TFileStream source(file.Path(), TFileStream::TMode::OpenRead);
    source.SetPosition(10);
    TMemoryStream middle;
    middle.CopyFrom(source, static_cast<int32_t>(bytes.size()) - 20);
    ASSERT_EQ(middle.Size(), static_cast<int32_t>(bytes.size()) - 20);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(middle.Memory()), bytes.size() - 20),
              bytes.substr(10, bytes.size() - 20));
    source.SetPosition(static_cast<int32_t>(bytes.size()) - 5);
    EXPECT_THROW(middle.CopyFrom(source, 6), EReadError);

    const std::string outPath = file.Sibling("out.bin");
    {
        TFileStream out(outPath, TFileStream::TMode::Create);
        middle.SetPosition(0);
        out.CopyFrom(middle, static_cast<int32_t>(bytes.size()) - 20);
        out.Flush();
    }
    EXPECT_EQ(ReadFileBytes(outPath), bytes.substr(10, bytes.size() - 20));
}
