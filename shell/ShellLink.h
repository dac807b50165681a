// Shortcut files (".lnk", the Windows shell-link format): a small reader of
// our own that finds the target path a shortcut stores.
//
// What is read: the 0x4C-byte header (its size and class identifier are
// checked, LinkFlags tells which parts follow); the target ID list is
// skipped; LinkInfo gives the local base path and the common path suffix
// (the Unicode forms when present, otherwise the ANSI ones, taken as UTF-8
// when they are valid UTF-8 and as the Japanese code page CP932 otherwise),
// or the network share name; StringData gives the relative path and the
// working folder. Every length and offset is checked against the data; a
// damaged part ends the reading and what was found before it is kept.
//
// On this system a Windows path is usable only after conversion, so
// GetShortcutTarget tries, in order, each stored path as it is and in its
// local form (backslashes become "/", a drive letter like "C:" and the
// "\\?\" prefix are dropped: C:\dir\file.pdf becomes /dir/file.pdf), and
// the relative path taken from the shortcut's own folder, and returns the
// first that names an existing file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lumerra {

struct TShellLinkPaths {
    std::string LocalPath;     // local base path + common path suffix
    std::string NetworkPath;   // share name + "\" + common path suffix
    std::string RelativePath;  // relative to the shortcut's folder
    std::string WorkingDir;
};

// Reads the paths out of the bytes of a shortcut file (all texts UTF-8).
// False when Data is not a shortcut or holds no path at all.
bool ParseShellLink(std::string_view Data, TShellLinkPaths& Paths);

// A Windows path in this system's form (see above).
std::string WindowsPathToLocal(std::string_view Path);

// The paths to try for the shortcut LinkName, in the order above, before
// any of them is looked up.
std::vector<std::string> ShortcutTargetCandidates(const std::string& LinkName, const TShellLinkPaths& Paths);

// The path that the shortcut LinkName stores, for a name ending in ".lnk"
// in any case; LinkName itself for any other name; empty when the shortcut
// cannot be read. Never raises.
std::string GetShortcutTarget(const std::string& LinkName);

}  // namespace lumerra
