// Shortcut files: ParseShellLink over the whole input, then the paths that
// would be tried for it, from an absolute and from a relative shortcut
// name. Every text must be UTF-8 without NUL and of a size the input can
// explain; the paths in local form hold no backslash, and the one taken from
// the shortcut's folder is in normal form.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "shell/ShellLink.h"

using namespace lumerra;
using namespace lumerra::fuzz;

namespace {

// Well-formed UTF-8: shortest forms, no surrogates, nothing above U+10FFFF.
bool IsUtf8(std::string_view Text) {
    for (size_t i = 0; i < Text.size();) {
        const auto c = static_cast<uint8_t>(Text[i]);
        size_t length = 1;
        if (c >= 0xF0) {
            length = 4;
        } else if (c >= 0xE0) {
            length = 3;
        } else if (c >= 0xC0) {
            length = 2;
        } else if (c >= 0x80) {
            return false;
        }
        if (c >= 0xF8 || Text.size() - i < length) return false;
        uint32_t code = length == 1 ? c : c & (0x7Fu >> length);
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<uint8_t>(Text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = code << 6 | (next & 0x3F);
        }
        constexpr uint32_t Smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < Smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) return false;
        i += length;
    }
    return true;
}

void CheckText(const std::string& Text, size_t Limit) {
    Require(IsUtf8(Text), "a text is UTF-8");
    Require(Text.find('\0') == std::string::npos, "a text holds no NUL");
    Require(Text.size() <= Limit, "a text is no longer than the input explains");
}

bool IsLocalForm(const std::string& Path) { return Path.find('\\') == std::string::npos; }

void CheckCandidates(const std::string& LinkName, const TShellLinkPaths& Paths) {
    const std::vector<std::string> candidates = ShortcutTargetCandidates(LinkName, Paths);
    Require(candidates.size() <= 5, "at most five paths are tried");
    for (const std::string& candidate : candidates)
        Require(candidate.find('\0') == std::string::npos, "a path to try holds no NUL");
    if (WindowsPathToLocal(Paths.RelativePath).empty()) return;
    const std::string& relative = candidates.back();
    Require(!relative.empty() && IsLocalForm(relative), "the relative path is tried in local form");
    Require(std::filesystem::path(relative).lexically_normal().string() == relative,
            "the relative path is tried in normal form");
    if (LinkName.front() == '/') Require(relative.front() == '/', "beside an absolute shortcut, an absolute path");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const std::string_view data(reinterpret_cast<const char*>(Data), Size);

    // What an earlier shortcut left in the record does not survive.
    TShellLinkPaths paths{"old", "old", "old", "old"};
    const bool found = ParseShellLink(data, paths);
    TShellLinkPaths fresh;
    Require(ParseShellLink(data, fresh) == found && fresh.LocalPath == paths.LocalPath &&
                fresh.NetworkPath == paths.NetworkPath && fresh.RelativePath == paths.RelativePath &&
                fresh.WorkingDir == paths.WorkingDir,
            "a used record reads as a fresh one");
    Require(found == (!paths.LocalPath.empty() || !paths.NetworkPath.empty() || !paths.RelativePath.empty()),
            "true exactly when a path was found");
    if (Size < 0x4C || Data[0] != 0x4C) Require(!found && paths.WorkingDir.empty(), "no header, nothing read");

    // A stored character takes at most three bytes of UTF-8 for each byte
    // (CP932's one-byte katakana); the local path and the network path join
    // two texts each.
    const size_t limit = 6 * Size + 1;
    for (const std::string* text : {&paths.LocalPath, &paths.NetworkPath, &paths.RelativePath, &paths.WorkingDir}) {
        CheckText(*text, limit);
        const std::string local = WindowsPathToLocal(*text);
        Require(IsLocalForm(local) && local.size() <= text->size(), "a path in local form has no backslash and is no longer");
    }

    CheckCandidates("/links/shortcut.lnk", paths);
    CheckCandidates("shortcut.lnk", paths);
    return 0;
}
