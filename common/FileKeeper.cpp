#include "common/FileKeeper.h"

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
    THelperActions(int Wait, int File) {
        ::posix_spawn_file_actions_init(&FActions);
        ::posix_spawn_file_actions_adddup2(&FActions, Wait, STDIN_FILENO);
        ::posix_spawn_file_actions_addopen(&FActions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        ::posix_spawn_file_actions_addopen(&FActions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        ::posix_spawn_file_actions_adddup2(&FActions, File, HelperHandle);
        ::posix_spawn_file_actions_addclosefrom_np(&FActions, HelperHandle + 1);
    }
    ~THelperActions() { ::posix_spawn_file_actions_destroy(&FActions); }
    THelperActions(const THelperActions&) = delete;
    THelperActions& operator=(const THelperActions&) = delete;
    const posix_spawn_file_actions_t* Get() const { return &FActions; }

private:
    posix_spawn_file_actions_t FActions;
};

// Its own process group: Ctrl-C at the terminal does not end it early.
class THelperAttributes {
public:
    THelperAttributes() {
        ::posix_spawnattr_init(&FAttributes);
        ::posix_spawnattr_setpgroup(&FAttributes, 0);
        ::posix_spawnattr_setflags(&FAttributes, POSIX_SPAWN_SETPGROUP);
    }
    ~THelperAttributes() { ::posix_spawnattr_destroy(&FAttributes); }
    THelperAttributes(const THelperAttributes&) = delete;
    THelperAttributes& operator=(const THelperAttributes&) = delete;
    const posix_spawnattr_t* Get() const { return &FAttributes; }

private:
    posix_spawnattr_t FAttributes;
};

void RunHelper(UniqueFd File, UniqueFd WaitEnd, std::promise<void> Started) {
    pid_t helper = 0;
    {
        const THelperActions actions(WaitEnd.Get(), File.Get());
        const THelperAttributes attributes;
        char name[] = "cat";
        char* arguments[] = {name, nullptr};
        char* environment[] = {nullptr};
        if (::posix_spawn(&helper, "/bin/cat", actions.Get(), attributes.Get(), arguments, environment) != 0)
            helper = 0;
    }
    File.Reset();
    WaitEnd.Reset();
    Started.set_value();
    if (helper > 0) {
        while (::waitpid(helper, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
}

}  // namespace

TFileKeeper::TFileKeeper(const std::string& Path) {
    // O_PATH holds the file without needing read permission on it.
    UniqueFd file(::open(Path.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    // dup2 onto itself would keep close-on-exec set.
    if (file.Get() == HelperHandle) file.Reset(::fcntl(HelperHandle, F_DUPFD_CLOEXEC, HelperHandle + 1));
    int ends[2];
    if (!file.Valid() || ::pipe2(ends, O_CLOEXEC) != 0) return;
    UniqueFd waitEnd(ends[0]);
    FReleaseEnd.Reset(ends[1]);
    std::promise<void> started;
    FStarted = started.get_future();
    try {
        std::thread(RunHelper, std::move(file), std::move(waitEnd), std::move(started)).detach();
    } catch (const std::system_error&) {
        FStarted = {};
        FReleaseEnd.Reset();
    }
}

TFileKeeper::~TFileKeeper() {
    // The helper has the file (or could not be started) before it may end.
    if (FStarted.valid()) FStarted.wait();
    FReleaseEnd.Reset();
}

}  // namespace lumerra
