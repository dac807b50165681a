#include "cli/pipeline/Supervisor.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <iostream>
#include <new>
#include <optional>

#include "cli/Interrupt.h"
#include "common/UniqueFd.h"

namespace lumerra::cli::pipeline {

namespace {

using TClock = std::chrono::steady_clock;

// A worker that ran out of memory ends with this status.
constexpr int MemoryLimitStatus = 86;

struct TWorker {
    pid_t Pid = -1;
    UniqueFd Tasks;    // the parent writes task numbers here
    UniqueFd Results;  // and reads the worker's frames here
    TFrameReader Reader;
    std::optional<size_t> Task;  // the task it holds
    TClock::time_point Started;
    std::vector<TFrame> Frames;
};

void LimitMemory(uint64_t MiB) {
    if (!MemoryLimitApplies || MiB == 0) return;
    // The data segment and private mappings, not the address space: a stack
    // that grows must not be what fails.
    const rlim_t bytes = static_cast<rlim_t>(MiB) << 20;
    const rlimit limit{bytes, bytes};
    ::setrlimit(RLIMIT_DATA, &limit);
    // Memory refused ends the worker at once, whatever would have caught
    // the exception: the parent tells it.
    std::set_new_handler([] { ::_exit(MemoryLimitStatus); });
}

// The worker's loop: a task number in, its frames out, until the parent
// closes the pipe.
[[noreturn]] void ServeTasks(int Tasks, int Results, const TLimits& Limits, const TTaskWork& Work) {
    LimitMemory(Limits.MaxMemoryMiB);
    const auto tell = [Results](const TFrame& Frame) {
        if (!WriteAll(Results, EncodeFrame(Frame))) ::_exit(1);
    };
    for (;;) {
        uint64_t task = 0;
        size_t got = 0;
        while (got < sizeof task) {
            const ssize_t n = ::read(Tasks, reinterpret_cast<char*>(&task) + got, sizeof task - got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) ::_exit(0);
            got += static_cast<size_t>(n);
        }
        Work(static_cast<size_t>(task), tell);
    }
}

class TPool {
public:
    TPool(const TLimits& Limits, const TTaskWork& Work) : FLimits(Limits), FWork(Work) {}
    ~TPool() {
        for (TWorker& worker : FWorkers) Stop(worker);
    }
    TPool(const TPool&) = delete;
    TPool& operator=(const TPool&) = delete;

    std::vector<TWorker>& Workers() { return FWorkers; }

    // A new worker, or nothing when none could be started.
    TWorker* Start() {
        int tasks[2], results[2];
        if (::pipe2(tasks, O_CLOEXEC) != 0) return nullptr;
        if (::pipe2(results, O_CLOEXEC) != 0) {
            ::close(tasks[0]);
            ::close(tasks[1]);
            return nullptr;
        }
        // Nothing buffered may be written twice, once by each process.
        std::cout.flush();
        std::cerr.flush();
        std::fflush(nullptr);
        const pid_t parent = ::getpid();
        const pid_t pid = ::fork();
        if (pid == 0) {
            // Ctrl-C is the parent's; a worker dies with it.
            ::setpgid(0, 0);
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (::getppid() != parent) ::_exit(1);
            ::signal(SIGPIPE, SIG_IGN);
            // The other workers' pipes are theirs: held here they would
            // hide a worker's end from the parent.
            for (TWorker& other : FWorkers) {
                other.Tasks.Reset();
                other.Results.Reset();
            }
            ::close(tasks[1]);
            ::close(results[0]);
            ServeTasks(tasks[0], results[1], FLimits, FWork);
        }
        ::close(tasks[0]);
        ::close(results[1]);
        if (pid < 0) {
            ::close(tasks[1]);
            ::close(results[0]);
            return nullptr;
        }
        TWorker& worker = FWorkers.emplace_back();
        worker.Pid = pid;
        worker.Tasks.Reset(tasks[1]);
        worker.Results.Reset(results[0]);
        return &worker;
    }

    // Ends Worker (killed when it still runs) and tells how it ended.
    static int Stop(TWorker& Worker) {
        if (Worker.Pid < 0) return 0;
        Worker.Tasks.Reset();
        ::kill(Worker.Pid, SIGKILL);
        int status = 0;
        while (::waitpid(Worker.Pid, &status, 0) < 0 && errno == EINTR) {}
        Worker.Pid = -1;
        Worker.Results.Reset();
        return status;
    }

    // Waits for Worker to end by itself, then tells how it ended.
    static int Reap(TWorker& Worker) {
        Worker.Tasks.Reset();
        int status = 0;
        while (::waitpid(Worker.Pid, &status, 0) < 0 && errno == EINTR) {}
        Worker.Pid = -1;
        Worker.Results.Reset();
        return status;
    }

    // Drops the workers that have ended.
    void RemoveEnded() {
        std::erase_if(FWorkers, [](const TWorker& Worker) { return Worker.Pid < 0; });
    }

private:
    const TLimits& FLimits;
    const TTaskWork& FWork;
    std::vector<TWorker> FWorkers;
};

int64_t Elapsed(const TWorker& Worker) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(TClock::now() - Worker.Started).count();
}

TTaskEnd EndOf(TWorker& Worker, TTaskEnd::TKind Kind) {
    TTaskEnd end;
    end.Kind = Kind;
    end.Frames = std::move(Worker.Frames);
    end.ElapsedMs = Elapsed(Worker);
    Worker.Frames.clear();
    return end;
}

}  // namespace

bool RunSupervised(size_t Count, int32_t Jobs, const TLimits& Limits, const TTaskWork& Work,
                   const TTaskEnded& Ended) {
    TPool pool(Limits, Work);
    TInterruptGuard interrupt;
    const size_t slots = std::min(Count, static_cast<size_t>(std::max(Jobs, 1)));
    size_t next = 0;
    size_t done = 0;
    while (done < Count) {
        if (TakeInterrupt()) return false;
        // Every idle slot takes the next task; a worker that cannot start
        // leaves the task to the next round.
        while (next < Count && pool.Workers().size() < slots) {
            if (pool.Start() == nullptr) break;
        }
        for (TWorker& worker : pool.Workers()) {
            if (worker.Task || next >= Count) continue;
            const uint64_t task = next;
            if (!WriteAll(worker.Tasks.Get(), std::string_view(reinterpret_cast<const char*>(&task), sizeof task)))
                continue;  // its end is seen below
            worker.Task = next++;
            worker.Started = TClock::now();
        }
        if (pool.Workers().empty()) {
            // No process could be started: wait and try again.
            ::usleep(100'000);
            continue;
        }

        // Wait for a frame, a worker's end or the first deadline.
        std::vector<pollfd> watched;
        int wait = 200;  // Ctrl-C is looked at this often
        for (TWorker& worker : pool.Workers()) {
            watched.push_back({worker.Results.Get(), POLLIN, 0});
            if (worker.Task) {
                const int64_t left = Limits.Timeout.count() - Elapsed(worker);
                wait = static_cast<int>(std::clamp<int64_t>(left, 0, wait));
            }
        }
        if (::poll(watched.data(), watched.size(), wait) < 0 && errno != EINTR) return false;

        for (size_t w = 0; w < watched.size(); ++w) {
            TWorker& worker = pool.Workers()[w];
            bool closed = false;
            if (watched[w].revents != 0) {
                char buffer[65536];
                const ssize_t n = ::read(worker.Results.Get(), buffer, sizeof buffer);
                if (n > 0) worker.Reader.Feed(std::string_view(buffer, static_cast<size_t>(n)));
                closed = n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN);
            }
            while (std::optional<TFrame> frame = worker.Reader.Next()) {
                const bool final = frame->Kind == FinalFrame;
                worker.Frames.push_back(std::move(*frame));
                if (final && worker.Task) {
                    const size_t task = *worker.Task;
                    worker.Task.reset();
                    ++done;
                    Ended(task, EndOf(worker, TTaskEnd::TKind::Done));
                }
            }
            if (closed) {
                const int status = TPool::Reap(worker);
                if (worker.Task) {
                    TTaskEnd end = EndOf(worker, WIFEXITED(status) && WEXITSTATUS(status) == MemoryLimitStatus
                                                     ? TTaskEnd::TKind::MemoryLimit
                                                     : TTaskEnd::TKind::Crashed);
                    end.Signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
                    end.ExitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 0;
                    ++done;
                    Ended(*worker.Task, std::move(end));
                }
            } else if (worker.Task && Elapsed(worker) >= Limits.Timeout.count()) {
                TPool::Stop(worker);
                ++done;
                Ended(*worker.Task, EndOf(worker, TTaskEnd::TKind::TimedOut));
            }
        }
        pool.RemoveEnded();
    }
    return true;
}

}  // namespace lumerra::cli::pipeline
