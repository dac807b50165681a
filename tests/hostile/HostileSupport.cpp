#include "hostile/HostileSupport.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <stdexcept>
#include <vector>

#include "common/Exceptions.h"

namespace lumerra::test {

namespace {

struct TRecord {
    std::string Name;
    double Seconds;
    int64_t PeakKiB;
};

std::vector<TRecord>& Records() {
    static std::vector<TRecord> records;
    return records;
}

// Prints every case's time and peak memory, the slowest first, when the
// program ends.
class TSummary final : public ::testing::Environment {
public:
    void TearDown() override {
        auto records = Records();
        if (records.empty()) return;
        const int64_t base = BaselineKiB();
        std::sort(records.begin(), records.end(), [](auto& a, auto& b) { return a.Seconds > b.Seconds; });
        std::printf("\nHostile cases, slowest first (memory: peak growth of the case's process; an empty case "
                    "grows by %lld KiB):\n",
                    static_cast<long long>(base));
        for (const auto& r : records)
            std::printf("  %8.2f s  %8lld KiB  %s\n", r.Seconds, static_cast<long long>(r.PeakKiB), r.Name.c_str());
        const auto largest = std::max_element(records.begin(), records.end(),
                                              [](auto& a, auto& b) { return a.PeakKiB < b.PeakKiB; });
        std::printf("Slowest: %s, %.2f s. Largest peak growth: %s, %lld KiB.\n", records.front().Name.c_str(),
                    records.front().Seconds, largest->Name.c_str(), static_cast<long long>(largest->PeakKiB));
    }
};

[[maybe_unused]] const auto* const Summary = ::testing::AddGlobalTestEnvironment(new TSummary);

void WriteAll(int Fd, const std::string& Bytes) {
    size_t done = 0;
    while (done < Bytes.size()) {
        const ssize_t n = ::write(Fd, Bytes.data() + done, Bytes.size() - done);
        if (n <= 0) return;
        done += static_cast<size_t>(n);
    }
}

std::string ReadAll(int Fd) {
    std::string bytes;
    char piece[4096];
    for (;;) {
        const ssize_t n = ::read(Fd, piece, sizeof piece);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return bytes;
        bytes.append(piece, static_cast<size_t>(n));
    }
}

// A field of /proc/self/status in KiB ("VmRSS", "VmHWM"), 0 when unknown.
int64_t StatusKiB(const std::string& Field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.compare(0, Field.size() + 1, Field + ":") == 0) return std::stoll(line.substr(Field.size() + 1));
    }
    return 0;
}

// The child starts with the pages it shares with the test program, which
// grows as it builds large documents. The case's own peak is what the
// resident set grew by: the high-water mark is reset at the start.
int64_t StartPeakMeasure() {
    std::ofstream("/proc/self/clear_refs") << "5";
    return StatusKiB("VmRSS");
}

// The child's side: the outcome's kind letter, its peak growth and its text
// go into the pipe.
[[noreturn]] void RunChild(int Fd, const std::function<std::string()>& Body, int LimitSeconds) {
    ::alarm(static_cast<unsigned>(LimitSeconds));
    const int64_t startKiB = StartPeakMeasure();
    std::string answer;
    try {
        answer = "R" + Body();
    } catch (const Exception& e) {
        answer = (e.Message().empty() ? "F" : "M") + e.Message();
    } catch (const std::exception& e) {
        answer = (e.what()[0] == '\0' ? "F" : "M") + std::string(e.what());
    } catch (...) {
        answer = "Fan exception that is not a std::exception";
    }
    const int64_t peakKiB = std::max<int64_t>(0, StatusKiB("VmHWM") - startKiB);
    WriteAll(Fd, answer.substr(0, 1) + std::to_string(peakKiB) + " " + answer.substr(1));
    ::close(Fd);
    std::fflush(nullptr);
    ::_exit(0);
}

}  // namespace

TCaseOutcome RunCase(const std::string& Name, const std::function<std::string()>& Body, int LimitSeconds) {
    int fds[2];
    if (::pipe(fds) != 0) throw std::runtime_error("pipe failed");
    std::fflush(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child < 0) throw std::runtime_error("fork failed");
    if (child == 0) {
        ::close(fds[0]);
        RunChild(fds[1], Body, LimitSeconds);
    }
    ::close(fds[1]);
    const std::string answer = ReadAll(fds[0]);
    ::close(fds[0]);
    int status = 0;
    rusage usage{};
    while (::wait4(child, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    TCaseOutcome outcome;
    outcome.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // A child that did not answer is measured as a whole.
    outcome.PeakKiB = usage.ru_maxrss;
    std::string text = answer.size() > 1 ? answer.substr(1) : std::string();
    if (const auto space = text.find(' '); !answer.empty() && space != std::string::npos) {
        outcome.PeakKiB = std::stoll(text.substr(0, space));
        text.erase(0, space + 1);
    }
    if (WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        outcome.Failure = signal == SIGALRM ? "no outcome within " + std::to_string(LimitSeconds) + " s (a hang)"
                                            : std::string("killed by signal ") + strsignal(signal);
    } else if (WEXITSTATUS(status) != 0) {
        outcome.Failure = "exit code " + std::to_string(WEXITSTATUS(status));
    } else if (answer.empty()) {
        outcome.Failure = "no answer from the case";
    } else if (answer[0] == 'F') {
        outcome.Failure = text;
    } else {
        outcome.Kind = answer[0] == 'R' ? TCaseOutcome::TKind::Report : TCaseOutcome::TKind::Message;
        outcome.Text = text;
    }
    if (Name != "baseline") Records().push_back({Name, outcome.Seconds, outcome.PeakKiB});
    return outcome;
}

int64_t BaselineKiB() {
    static const int64_t baseline = RunCase("baseline", [] { return std::string(); }).PeakKiB;
    return baseline;
}

std::string ZeroBomb(int64_t Size) {
    z_stream z{};
    if (deflateInit(&z, 9) != Z_OK) throw std::runtime_error("deflateInit failed");
    std::vector<Bytef> zeros(1 << 20, 0);
    std::vector<Bytef> piece(1 << 16);
    std::string out;
    int64_t left = Size;
    int flush = Z_NO_FLUSH;
    do {
        const auto n = static_cast<uInt>(std::min<int64_t>(left, static_cast<int64_t>(zeros.size())));
        left -= n;
        flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
        z.next_in = zeros.data();
        z.avail_in = n;
        do {
            z.next_out = piece.data();
            z.avail_out = static_cast<uInt>(piece.size());
            deflate(&z, flush);
            out.append(reinterpret_cast<const char*>(piece.data()), piece.size() - z.avail_out);
        } while (z.avail_out == 0);
    } while (flush != Z_FINISH);
    deflateEnd(&z);
    return out;
}

int64_t CountInFile(const std::string& Path, const std::string& Needle) {
    std::ifstream in(Path, std::ios::binary);
    std::vector<char> piece(1 << 20);
    std::string window;
    int64_t count = 0;
    while (in) {
        in.read(piece.data(), static_cast<std::streamsize>(piece.size()));
        window.append(piece.data(), static_cast<size_t>(in.gcount()));
        size_t at = 0;
        while ((at = window.find(Needle, at)) != std::string::npos) {
            ++count;
            at += Needle.size();
        }
        // Keep a tail that may hold the start of a match across pieces.
        const size_t keep = std::min(window.size(), Needle.size() - 1);
        window.erase(0, window.size() - keep);
    }
    return count;
}

}  // namespace lumerra::test

// Under AddressSanitizer, freed blocks stay resident in a quarantine of 256 MiB
// by default, which would hide how much a case really holds.
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=16"; }
