#include "common/OutputFile.h"
#include "common/FileKeeper.h"
#include "common/ReplaceName.h"
#include "common/SystemError.h"
#include "common/WriteErrors.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <random>

namespace lumerra {

namespace {

std::string SystemReason(int error) { return SystemErrorText(error); }

[[noreturn]] void ThrowWriteError(int error) { throw EOutputWriteError(TMessageCode::WriteFailed, SystemReason(error), error); }

bool SameFile(const struct stat& A, const struct stat& B) { return A.st_dev == B.st_dev && A.st_ino == B.st_ino; }

// Root may write anything, so a file without any write permission bit counts
// as read-only too.
bool ReadOnly(const std::string& Path, const struct stat& Info) {
    return ::access(Path.c_str(), W_OK) != 0 || (Info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

// Another program holds the file: an exclusive lock fails while anyone (this
// program's own reader included) holds a lock on it.
bool LockedByOthers(const std::string& Path) {
    UniqueFd file(::open(Path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    return !file.Valid() || ::flock(file.Get(), LOCK_EX | LOCK_NB) != 0;
}

std::string FolderOf(const std::string& Path) {
    const std::filesystem::path parent = std::filesystem::path(Path).parent_path();
    return parent.empty() ? "." : parent.string();
}

// A name for a temporary file beside Target: hidden, and recognisably ours.
std::string TemporaryNameBeside(const std::string& Target, std::mt19937_64& Random) {
    static const char Letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string suffix(8, 'x');
    for (char& c : suffix) c = Letters[Random() % (sizeof Letters - 1)];
    const std::filesystem::path target(Target);
    return (target.parent_path() / ("." + target.filename().string() + "." + suffix + ".tmp")).string();
}

std::mt19937_64 SeededRandom() { return std::mt19937_64(std::random_device{}() ^ static_cast<uint64_t>(::getpid())); }

}  // namespace

// ----------------------------------------------------------- TOutputStream

TOutputStream::TOutputStream(int Handle, std::string Name) : FHandle(Handle), FName(std::move(Name)) {}

TOutputStream::~TOutputStream() {
    try {
        Flush();
    } catch (const Exception&) {
        // A destructor cannot report; callers that care call Flush first.
    }
}

int32_t TOutputStream::Read(void*, int32_t) { throw EStreamError("Stream read error: " + FName + " is write-only"); }

void TOutputStream::WriteThrough(const uint8_t* data, size_t count) {
    while (count > 0) {
        const ssize_t n = ::write(FHandle, data, count);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) ThrowWriteError(n < 0 ? errno : EIO);
        data += n;
        count -= static_cast<size_t>(n);
    }
}

int32_t TOutputStream::Write(const void* buffer, int32_t count) {
    if (count <= 0) return 0;
    if (int64_t{FPosition} + count > INT32_MAX)
        throw EOutputWriteError(TMessageCode::WriteFailed, "an output can hold less than 2 GiB", EFBIG);
    if (FPending + count > BufferSize) Flush();
    if (count >= BufferSize) {
        WriteThrough(static_cast<const uint8_t*>(buffer), static_cast<size_t>(count));
    } else {
        if (!FBuffer) FBuffer = std::make_unique_for_overwrite<uint8_t[]>(BufferSize);
        std::memcpy(FBuffer.get() + FPending, buffer, static_cast<size_t>(count));
        FPending += count;
    }
    FPosition += count;
    return count;
}

int64_t TOutputStream::Seek(int64_t offset, TSeekOrigin origin) {
    const int32_t target = ResolveSeek(FPosition, FPosition, offset, origin);
    if (target != FPosition) throw EStreamError("Invalid stream position: " + FName + " is written front to back");
    return target;
}

void TOutputStream::Flush() {
    const int32_t pending = FPending;
    FPending = 0;
    if (pending > 0) WriteThrough(FBuffer.get(), static_cast<size_t>(pending));
}

// ------------------------------------------------------------- TOutputFile

TOutputFile::TOutputFile(const std::string& Path, const TStream* Source, TTemporaryNameWatch Watch)
    : FTarget(Path), FDisplayName(Path), FWatch(std::move(Watch)) {
    struct stat source {};
    const auto* file = dynamic_cast<const TFileStream*>(Source);
    const bool haveSource = file != nullptr && ::fstat(file->Handle(), &source) == 0;

    if (Path == StandardOutput) {
        FDisplayName = "standard output";
        struct stat out {};
        if (haveSource && ::fstat(STDOUT_FILENO, &out) == 0 && SameFile(out, source))
            throw EOutputRefused(TMessageCode::FileInUse, "the PDF being read");
        FStream = std::make_unique<TOutputStream>(STDOUT_FILENO, FDisplayName);
        return;
    }

    struct stat target {};
    if (::stat(Path.c_str(), &target) != 0) {
        const int error = errno;
        if (error != ENOENT) throw EOutputRefused(TMessageCode::CannotCreateReport, SystemReason(error), error);
        const std::string folder = FolderOf(Path);
        struct stat info {};
        if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) throw EOutputRefused(TMessageCode::NoSaveFolder, folder);
        CreateBeside(nullptr);
        return;
    }
    if (haveSource && SameFile(target, source)) throw EOutputRefused(TMessageCode::FileInUse, "the PDF being read");
    if (S_ISDIR(target.st_mode)) throw EOutputRefused(TMessageCode::FileInUse, "a folder");
    if (!S_ISREG(target.st_mode)) {
        // A device or a pipe: written as it is, never truncated or removed.
        OpenInPlace(Path, O_WRONLY | O_NOCTTY | O_CLOEXEC);
        return;
    }
    if (ReadOnly(Path, target)) throw EOutputRefused(TMessageCode::FileInUse, "read-only");
    if (LockedByOthers(Path)) throw EOutputRefused(TMessageCode::FileInUse, "locked by another program");
    // Through a symbolic link, the file it names is replaced, not the link.
    std::error_code ignored;
    const std::filesystem::path real = std::filesystem::canonical(Path, ignored);
    if (!real.empty()) FTarget = real.string();
    CreateBeside(&target);
}

TOutputFile::~TOutputFile() {
    FStream.reset();
    FHandle.Reset();
    if (!FCommitted && !FTemporary.empty()) {
        ::unlink(FTemporary.c_str());
        SetTemporaryName("");
    }
}

void TOutputFile::OpenInPlace(const std::string& Path, int Flags) {
    FHandle.Reset(::open(Path.c_str(), Flags));
    if (!FHandle.Valid()) {
        const int error = errno;
        throw EOutputRefused(TMessageCode::CannotCreateReport, SystemReason(error), error);
    }
    FStream = std::make_unique<TOutputStream>(FHandle.Get(), FDisplayName);
}

void TOutputFile::SetTemporaryName(std::string Name) {
    FTemporary = std::move(Name);
    if (FWatch) FWatch(FTemporary);
}

void TOutputFile::CreateBeside(const struct stat* Replaced) {
    const std::string folder = FolderOf(FTarget);
    // An unnamed file vanishes with the process, however it ends; it needs
    // /proc to be given a name at the end.
    if (::access("/proc/self/fd", X_OK) == 0) {
        FHandle.Reset(::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
        FUnnamed = FHandle.Valid();
    }
    if (!FHandle.Valid()) {
        std::mt19937_64 random = SeededRandom();
        for (int attempt = 0; attempt < 100 && !FHandle.Valid(); ++attempt) {
            const std::string name = TemporaryNameBeside(FTarget, random);
            FHandle.Reset(::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666));
            if (FHandle.Valid()) {
                SetTemporaryName(name);
            } else if (const int error = errno; error != EEXIST) {
                throw EOutputRefused(TMessageCode::CannotCreateReport, folder + ": " + SystemReason(error), error);
            }
        }
        if (!FHandle.Valid()) throw EOutputRefused(TMessageCode::CannotCreateReport, folder + ": no free temporary name");
    }
    FStream = std::make_unique<TOutputStream>(FHandle.Get(), FDisplayName);
    if (Replaced != nullptr) {
        // The previous report's space is to be freed beside this process.
        FKeeper = std::make_unique<TFileKeeper>(FTarget);
        // The new report keeps the old one's permissions and, where we may,
        // its owner.
        ::fchmod(FHandle.Get(), Replaced->st_mode & 07777);
        if (::fchown(FHandle.Get(), Replaced->st_uid, Replaced->st_gid) != 0) {
            // Only root may give a file away; the file stays ours.
        }
    }
}

void TOutputFile::LinkUnnamed() {
    const std::string handlePath = "/proc/self/fd/" + std::to_string(FHandle.Get());
    std::mt19937_64 random = SeededRandom();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = TemporaryNameBeside(FTarget, random);
        if (::linkat(AT_FDCWD, handlePath.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            FUnnamed = false;
            SetTemporaryName(name);
            return;
        }
        if (errno != EEXIST) ThrowWriteError(errno);
    }
    throw EOutputWriteError(TMessageCode::WriteFailed, "no free temporary name");
}

void TOutputFile::Commit() {
    if (FCommitted) return;
    FStream->Flush();
    if (!InPlace()) {
        // Not synced: a report is made again from the document, which is
        // never written, so losing it to a power loss costs a run, and a
        // sync would cost every run. But where a full disk may show only
        // once the data reaches it, it must show before the report takes
        // its name.
        if (!WritesReserveSpace(FHandle.Get()) && ::fsync(FHandle.Get()) != 0) ThrowWriteError(errno);
        if (FUnnamed) LinkUnnamed();
        TNameReplaced replaced = ReplaceName(FTemporary, FTarget);
        if (replaced.Error != 0) ThrowWriteError(replaced.Error);
        SetTemporaryName("");
        // The keeper's helper now holds the last handle of the previous
        // report, unless the target changed during the run.
        replaced.Previous.Reset();
        FKeeper.reset();
    }
    FCommitted = true;
}

}  // namespace lumerra
