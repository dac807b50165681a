// Runs the lumerra program built with the tests in a child process.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "support/PdfBuilder.h"

extern char** environ;

namespace lumerra::test {

struct RunResult {
    int ExitCode = -1;  // -1 when killed by a signal
    int Signal = 0;     // the signal that ended it
    std::string Out;
    std::string Err;
};

// How a lumerra process is started.
struct Launch {
    std::string Stdout;    // a file for standard output; a scratch file when empty
    int ErrFd = -1;        // standard error instead of a scratch file
    int FileSizeBlocks = 0;  // a file-size limit in 512-byte blocks (0: none)
    // The locale variables of the child (LANG, LC_*, LANGUAGE), none of the
    // parent's: by default the Japanese locale, whose messages are the texts
    // the program has always printed.
    std::vector<std::string> Locale = {"LANG=ja_JP.UTF-8"};
};

// The parent's environment without its locale variables, then Locale.
inline std::vector<std::string> ChildEnvironment(const std::vector<std::string>& Locale) {
    std::vector<std::string> variables;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string variable = *entry;
        const bool locale = variable.rfind("LANG=", 0) == 0 || variable.rfind("LANGUAGE=", 0) == 0 ||
                            variable.rfind("LC_", 0) == 0;
        if (!locale) variables.push_back(variable);
    }
    variables.insert(variables.end(), Locale.begin(), Locale.end());
    return variables;
}

// A started lumerra process whose standard output and error go to files.
class Process {
public:
    Process(const std::vector<std::string>& Args, const TempFile& Scratch, const Launch& How = {})
        : FOutPath(How.Stdout.empty() ? Scratch.Sibling("stdout.bin") : How.Stdout),
          FErrPath(Scratch.Sibling("stderr.bin")) {
        std::vector<std::string> all;
        if (How.FileSizeBlocks > 0)
            all = {"/bin/sh", "-c", "ulimit -f " + std::to_string(How.FileSizeBlocks) + " && exec \"$@\"", "sh"};
        all.push_back(LUMERRA_CLI_PATH);
        all.insert(all.end(), Args.begin(), Args.end());
        std::vector<char*> argv;
        for (std::string& arg : all) argv.push_back(arg.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, FOutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (How.ErrFd >= 0)
            posix_spawn_file_actions_adddup2(&actions, How.ErrFd, 2);
        else
            posix_spawn_file_actions_addopen(&actions, 2, FErrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        std::vector<std::string> variables = ChildEnvironment(How.Locale);
        std::vector<char*> envp;
        for (std::string& variable : variables) envp.push_back(variable.data());
        envp.push_back(nullptr);
        const int error = posix_spawn(&FPid, argv[0], &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (error != 0) throw std::runtime_error("cannot start " + all[0]);
    }
    ~Process() {
        if (FPid > 0) {
            ::kill(FPid, SIGKILL);
            ::waitpid(FPid, nullptr, 0);
        }
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    pid_t Pid() const { return FPid; }
    // True once the process has its Ctrl-C handler, i.e. its run has begun.
    bool Running() const {
        std::ifstream status("/proc/" + std::to_string(FPid) + "/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("SigCgt:", 0) == 0) return (std::stoull(line.substr(7), nullptr, 16) >> (SIGINT - 1)) & 1;
        return false;
    }
    RunResult Wait() {
        int status = 0;
        ::waitpid(FPid, &status, 0);
        FPid = -1;
        RunResult result;
        result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.Signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
        if (std::filesystem::is_regular_file(FOutPath)) result.Out = ReadFileBytes(FOutPath);
        if (std::filesystem::exists(FErrPath)) result.Err = ReadFileBytes(FErrPath);
        return result;
    }

private:
    std::string FOutPath;
    std::string FErrPath;
    pid_t FPid = -1;
};

// Waits up to a minute for Started to begin its run; true when it has.
inline bool AwaitRun(const Process& Started) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!Started.Running() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return Started.Running();
}

inline RunResult RunCli(const std::vector<std::string>& Args, const Launch& How = {}) {
    TempFile scratch("");
    Process process(Args, scratch, How);
    return process.Wait();
}

// The bytes of base64 Text, as the JSON reports carry stream data; bytes
// outside the alphabet (padding, line ends) are passed over.
inline std::string FromBase64(const std::string& Text) {
    static const std::string Digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string bytes;
    uint32_t group = 0;
    int bits = 0;
    for (const char c : Text) {
        const size_t digit = Digits.find(c);
        if (digit == std::string::npos) continue;
        group = group << 6 | static_cast<uint32_t>(digit);
        if ((bits += 6) >= 8) bytes += static_cast<char>((group >> (bits -= 8)) & 0xFF);
    }
    return bytes;
}

}  // namespace lumerra::test
