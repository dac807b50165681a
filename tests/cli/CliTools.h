// Small helpers the command-line tests share: the bundled sample, the
// lines of an output, and the Debian tools some tests compare with.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace lumerra::test {

inline std::string SamplePath() {
    return (std::filesystem::path(__FILE__).parent_path() / ".." / ".." / "examples" / "sample.pdf").lexically_normal();
}

inline std::vector<std::string> Lines(const std::string& Text) {
    std::vector<std::string> lines;
    std::istringstream in(Text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// True when Tool answers --version, i.e. is installed.
inline bool HaveTool(const std::string& Tool) {
    return std::system((Tool + " --version > /dev/null 2>&1").c_str()) == 0;
}

// What the shell command writes on standard output (its errors dropped).
inline std::string CommandOutput(const std::string& Command) {
    std::string out;
    FILE* pipe = ::popen((Command + " 2> /dev/null").c_str(), "r");
    if (pipe == nullptr) return out;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    ::pclose(pipe);
    return out;
}

}  // namespace lumerra::test
