#include "cli/Workers.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <iostream>

#include "cli/CommandLine.h"
#include "cli/Interrupt.h"

namespace lumerra::cli {

int RunInWorkers(const std::vector<std::string>& Inputs, int32_t Jobs,
                 const std::function<int(const std::vector<std::string>&)>& Task) {
    const size_t workers = std::min(Inputs.size(), static_cast<size_t>(std::max(Jobs, 1)));
    if (workers <= 1) return Task(Inputs);

    // Nothing buffered may be written twice, once by each process.
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    std::vector<pid_t> children;
    int exitCode = ExitOk;
    for (size_t w = 0; w < workers; ++w) {
        std::vector<std::string> share;
        for (size_t i = w; i < Inputs.size(); i += workers) share.push_back(Inputs[i]);
        const pid_t pid = ::fork();
        if (pid == 0) {
            const int code = Task(share);
            std::cerr.flush();
            std::fflush(nullptr);
            ::_exit(code);
        }
        if (pid < 0) {
            // The files of a worker that could not start are done here.
            exitCode = WorseExitCode(exitCode, Task(share));
            continue;
        }
        children.push_back(pid);
    }

    // Ctrl-C is the workers' to handle: this process passes it on (when it
    // was sent to this process alone) and waits for them.
    TInterruptGuard interrupt;
    bool interrupted = false;
    while (!children.empty()) {
        int status = 0;
        const pid_t pid = ::waitpid(-1, &status, WNOHANG);
        if (pid > 0 && std::erase(children, pid) > 0) {
            const int code = WIFEXITED(status) ? WEXITSTATUS(status) : ExitFailed;
            if (code == ExitInterrupted || (WIFSIGNALED(status) && WTERMSIG(status) == SIGINT)) interrupted = true;
            else exitCode = WorseExitCode(exitCode, code);
            continue;
        }
        if (pid < 0 && errno != EINTR) break;  // no children left to wait for
        if (TakeInterrupt()) {
            interrupted = true;
            for (const pid_t child : children) ::kill(child, SIGINT);
        }
        ::usleep(20'000);
    }
    return interrupted ? ExitInterrupted : exitCode;
}

}  // namespace lumerra::cli
