// Where a report goes, and the rules that keep the user's files safe.
//
// A regular file, new or existing, is written into a temporary file in the
// same folder and renamed over its target only by Commit(). A run that fails,
// is cancelled or is killed leaves the previous file exactly as it was and
// nothing beside it. Devices, pipes and standard output are written in place
// and never removed. What holds across a power loss: docs/report-files.md.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "common/Exceptions.h"
#include "common/Stream.h"
#include "common/UniqueFd.h"

namespace lumerra {

class TFileKeeper;

// The output was refused before anything was written. The message is the one
// the user sees; the context says which of the possible reasons applies.
// SystemError is the errno value when the file system refused, 0 when the
// refusal is the program's own (read-only, locked, a folder): front ends
// word the reason in their own language from it.
class EOutputRefused : public EFCreateError {
public:
    explicit EOutputRefused(TMessageCode message, std::string context = {}, int systemError = 0)
        : EFCreateError(message, std::move(context)), FSystemError(systemError) {}
    explicit EOutputRefused(std::string message, std::string context = {}, int systemError = 0)
        : EFCreateError(std::move(message), std::move(context)), FSystemError(systemError) {}
    int SystemError() const noexcept { return FSystemError; }

private:
    int FSystemError;
};

// Writing the output failed: the disk is full, the file would reach 2 GiB
// (SystemError EFBIG), the reader of a pipe has gone. The context gives the
// reason, SystemError its errno value (0 when there is none).
class EOutputWriteError : public EWriteError {
public:
    explicit EOutputWriteError(TMessageCode message, std::string context = {}, int systemError = 0)
        : EWriteError(message, std::move(context)), FSystemError(systemError) {}
    explicit EOutputWriteError(std::string message, std::string context = {}, int systemError = 0)
        : EWriteError(std::move(message), std::move(context)), FSystemError(systemError) {}
    int SystemError() const noexcept { return FSystemError; }

private:
    int FSystemError;
};

// A write-only stream over a file descriptor, written front to back: all a
// report needs, and all that a pipe or a terminal allows. The position is the
// number of bytes written.
class TOutputStream final : public TStream {
public:
    // Name is only for messages. The descriptor is not owned.
    TOutputStream(int Handle, std::string Name);
    ~TOutputStream() override;  // errors of the last write are lost: call Flush

    int32_t Read(void* buffer, int32_t count) override;  // raises: write-only
    int32_t Write(const void* buffer, int32_t count) override;
    // Only the current position can be asked for or set again.
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return FPosition; }

    // Writes the buffered bytes; raises EOutputWriteError when that fails.
    void Flush();

private:
    void WriteThrough(const uint8_t* data, size_t count);

    // ext4 gives larger writes larger folios: a report written 256 KiB at a
    // time costs the kernel a quarter less than one written 64 KiB at a time
    // (tmpfs costs the same either way).
    static constexpr int32_t BufferSize = 256 * 1024;
    int FHandle;
    std::string FName;
    int32_t FPosition = 0;
    std::unique_ptr<uint8_t[]> FBuffer;
    int32_t FPending = 0;
};

class TOutputFile {
public:
    // The name that stands for standard output.
    static constexpr const char* StandardOutput = "-";

    // Told the name of the temporary file while it has one on disk, and ""
    // once it has gone, so that a signal handler can remove it.
    using TTemporaryNameWatch = std::function<void(const std::string& Name)>;

    // Checks the target before anything is written and opens what will be
    // written. Source is the document being read, which the report may never
    // replace (may be null). Raises EOutputRefused for a target that is a
    // folder, read-only, locked by another program, the document itself, or
    // in a folder that does not exist, and when the file system refuses to
    // create the temporary file.
    TOutputFile(const std::string& Path, const TStream* Source, TTemporaryNameWatch Watch = {});
    // Without Commit the temporary file is removed; the target is never
    // touched.
    ~TOutputFile();
    TOutputFile(const TOutputFile&) = delete;
    TOutputFile& operator=(const TOutputFile&) = delete;

    TStream& Stream() { return *FStream; }
    // The name used in messages: the path given, or "standard output".
    const std::string& DisplayName() const { return FDisplayName; }
    // True when the output is written in place (a device, a pipe, standard
    // output) rather than through a temporary file.
    bool InPlace() const { return FTemporary.empty() && !FUnnamed; }

    // Writes what is buffered and puts the report in place: the temporary
    // file takes the target's name, with the permissions of the file it
    // replaces. Raises EOutputWriteError when that fails; the target is
    // then unchanged.
    void Commit();

private:
    void OpenInPlace(const std::string& Path, int Flags);
    void CreateBeside(const struct stat* Replaced);
    void SetTemporaryName(std::string Name);
    void LinkUnnamed();

    std::string FTarget;       // the file that Commit replaces or creates
    std::string FDisplayName;
    std::string FTemporary;    // the temporary file's name while it has one
    bool FUnnamed = false;     // the temporary file has no name yet (O_TMPFILE)
    bool FCommitted = false;
    UniqueFd FHandle;
    std::unique_ptr<TOutputStream> FStream;
    TTemporaryNameWatch FWatch;
    std::unique_ptr<TFileKeeper> FKeeper;  // holds the report replaced, if any
};

}  // namespace lumerra
