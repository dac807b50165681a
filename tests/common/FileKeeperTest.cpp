// A file kept by a helper process: held while the keeper lives, even once
// it has lost its name and this process has let it go; nothing else of
// this process held; the helper reaped when the keeper ends.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "common/FileKeeper.h"
#include "support/PdfBuilder.h"

using namespace lumerra;
using namespace lumerra::test;

namespace {

bool Eventually(const std::function<bool()>& Condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!Condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// The children of every thread of this process, zombies included.
std::vector<pid_t> Children() {
    std::vector<pid_t> all;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream in(task.path() / "children");
        for (pid_t pid = 0; in >> pid;) all.push_back(pid);
    }
    return all;
}

std::string Descriptor(pid_t Process, int Handle) {
    std::error_code error;
    const auto target = std::filesystem::read_symlink(
        "/proc/" + std::to_string(Process) + "/fd/" + std::to_string(Handle), error);
    return error ? "" : target.string();
}

}  // namespace

TEST(FileKeeper, TheHelperHoldsTheFileAloneUntilTheKeeperEnds) {
    for (const bool exists : {true, false}) {
        TempFile file("kept", "kept.txt");
        if (!exists) std::filesystem::remove(file.Path());
        std::optional<TFileKeeper> keeper(std::in_place, file.Path());
        pid_t helper = 0;
        const bool started = Eventually([&] {
            const auto children = Children();
            helper = children.size() == 1 ? children[0] : 0;
            std::string name;
            if (helper > 0) std::getline(std::ifstream("/proc/" + std::to_string(helper) + "/comm"), name);
            return name == "cat";  // its descriptors are all set once it runs
        });
        ASSERT_EQ(started, exists) << "a helper for a file that " << (exists ? "exists" : "does not exist");
        if (exists) {
            std::filesystem::remove(file.Path());
            EXPECT_EQ(Descriptor(helper, 3), file.Path() + " (deleted)");
            EXPECT_TRUE(Descriptor(helper, 0).starts_with("pipe:"));
            EXPECT_EQ(Descriptor(helper, 1), "/dev/null");
            EXPECT_EQ(Descriptor(helper, 2), "/dev/null");
            EXPECT_EQ(Descriptor(helper, 4), "") << "the helper holds more than the file";
        }
        keeper.reset();
        EXPECT_TRUE(Eventually([] { return Children().empty(); })) << "left unreaped: " << Children().size();
    }
}
