#include "common/CloseInHelper.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <system_error>
#include <thread>

namespace lumerra {

namespace {

constexpr int HelperHandle = 3;

// The helper's descriptors: the pipe's end to wait on as standard input,
// the file as 3, /dev/null for the others (a pipe reading this process's
// output must see its end when this process ends), nothing else.
class THelperActions {
public:
    THelperActions(int Wait, int Handle) {
        ::posix_spawn_file_actions_init(&FActions);
        ::posix_spawn_file_actions_adddup2(&FActions, Wait, STDIN_FILENO);
        ::posix_spawn_file_actions_addopen(&FActions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        ::posix_spawn_file_actions_addopen(&FActions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        ::posix_spawn_file_actions_adddup2(&FActions, Handle, HelperHandle);
        ::posix_spawn_file_actions_addclosefrom_np(&FActions, HelperHandle + 1);
    }
    ~THelperActions() { ::posix_spawn_file_actions_destroy(&FActions); }
    THelperActions(const THelperActions&) = delete;
    THelperActions& operator=(const THelperActions&) = delete;
    const posix_spawn_file_actions_t* Get() const { return &FActions; }

private:
    posix_spawn_file_actions_t FActions;
};

void Reap(pid_t Helper) {
    while (::waitpid(Helper, nullptr, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace

void CloseInHelper(UniqueFd File) {
    if (!File.Valid()) return;
    // dup2 onto itself would keep close-on-exec set.
    if (File.Get() == HelperHandle) File.Reset(::fcntl(HelperHandle, F_DUPFD_CLOEXEC, HelperHandle + 1));
    int ends[2];
    if (!File.Valid() || ::pipe2(ends, O_CLOEXEC) != 0) return;
    UniqueFd waitEnd(ends[0]), releaseEnd(ends[1]);
    const THelperActions actions(waitEnd.Get(), File.Get());
    char name[] = "cat";
    char* arguments[] = {name, nullptr};
    char* environment[] = {nullptr};
    pid_t helper = 0;
    if (::posix_spawn(&helper, "/bin/cat", actions.Get(), nullptr, arguments, environment) != 0) return;
    // In this order: the helper ends only once the file is ours no more.
    File.Reset();
    releaseEnd.Reset();
    try {
        std::thread(Reap, helper).detach();
    } catch (const std::system_error&) {
        Reap(helper);
    }
}

}  // namespace lumerra
