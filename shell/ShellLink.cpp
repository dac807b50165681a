#include "shell/ShellLink.h"

#include <iconv.h>
#include <sys/stat.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

#include "common/StrUtils.h"

namespace lumerra {

namespace {

constexpr uint32_t HeaderSize = 0x4C;
// {00021401-0000-0000-C000-000000000046} as stored (little-endian fields).
constexpr std::array<uint8_t, 16> ShellLinkClassId = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                      0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

// LinkFlags
constexpr uint32_t HasLinkTargetIdList = 0x01;
constexpr uint32_t HasLinkInfo = 0x02;
constexpr uint32_t HasName = 0x04;
constexpr uint32_t HasRelativePath = 0x08;
constexpr uint32_t HasWorkingDir = 0x10;
constexpr uint32_t IsUnicode = 0x80;
constexpr uint32_t ForceNoLinkInfo = 0x100;

// LinkInfoFlags
constexpr uint32_t VolumeIdAndLocalBasePath = 0x01;
constexpr uint32_t CommonNetworkRelativeLinkAndPathSuffix = 0x02;

// Shortcuts are small; anything larger is not read.
constexpr std::streamsize MaximumLinkFileSize = 1 << 20;

// A bounds-checked view of the bytes.
class TReader {
public:
    explicit TReader(std::string_view Data) : FData(Data) {}
    size_t Size() const { return FData.size(); }
    std::optional<uint16_t> U16(size_t Offset) const {
        if (Offset > FData.size() || FData.size() - Offset < 2) return std::nullopt;
        return static_cast<uint16_t>(Byte(Offset) | Byte(Offset + 1) << 8);
    }
    std::optional<uint32_t> U32(size_t Offset) const {
        if (Offset > FData.size() || FData.size() - Offset < 4) return std::nullopt;
        return static_cast<uint32_t>(Byte(Offset)) | static_cast<uint32_t>(Byte(Offset + 1)) << 8 |
               static_cast<uint32_t>(Byte(Offset + 2)) << 16 | static_cast<uint32_t>(Byte(Offset + 3)) << 24;
    }
    // Bytes Offset .. Offset + Length, when they all lie inside.
    std::optional<std::string_view> Bytes(size_t Offset, size_t Length) const {
        if (Offset > FData.size() || FData.size() - Offset < Length) return std::nullopt;
        return FData.substr(Offset, Length);
    }
    // A zero-terminated 8-bit string starting at Offset and ending before Limit.
    std::optional<std::string_view> AnsiZ(size_t Offset, size_t Limit) const {
        Limit = std::min(Limit, FData.size());
        for (size_t i = Offset; i < Limit; ++i)
            if (FData[i] == '\0') return FData.substr(Offset, i - Offset);
        return std::nullopt;
    }
    // A zero-terminated UTF-16LE string: its bytes without the terminator.
    std::optional<std::string_view> UnicodeZ(size_t Offset, size_t Limit) const {
        Limit = std::min(Limit, FData.size());
        for (size_t i = Offset; i + 1 < Limit; i += 2)
            if (FData[i] == '\0' && FData[i + 1] == '\0') return FData.substr(Offset, i - Offset);
        return std::nullopt;
    }

private:
    uint8_t Byte(size_t Offset) const { return static_cast<uint8_t>(FData[Offset]); }
    std::string_view FData;
};

// UTF-16LE bytes to UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::string_view Bytes) {
    std::string out;
    const size_t units = Bytes.size() / 2;
    auto unit = [&](size_t i) {
        return static_cast<uint16_t>(static_cast<uint8_t>(Bytes[2 * i]) | static_cast<uint8_t>(Bytes[2 * i + 1]) << 8);
    };
    for (size_t i = 0; i < units; ++i) {
        const uint16_t u = unit(i);
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) < 0xE000) {
            AppendUtf8(out, 0x10000 + ((u - 0xD800u) << 10) + (unit(i + 1) - 0xDC00u));
            ++i;
        } else if (u >= 0xD800 && u < 0xE000) {
            AppendUtf8(out, 0xFFFD);
        } else {
            AppendUtf8(out, u);
        }
    }
    return out;
}

bool IsValidUtf8(std::string_view Text) {
    size_t i = 0;
    while (i < Text.size()) {
        const auto c = static_cast<uint8_t>(Text[i]);
        size_t length = 0;
        uint32_t minimum = 0;
        uint32_t code = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            length = 2, minimum = 0x80, code = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            length = 3, minimum = 0x800, code = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            length = 4, minimum = 0x10000, code = c & 0x07;
        } else {
            return false;
        }
        if (Text.size() - i < length) return false;
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<uint8_t>(Text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = code << 6 | (next & 0x3F);
        }
        if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) return false;
        i += length;
    }
    return true;
}

class TIconv {
public:
    TIconv(const char* To, const char* From) : FHandle(iconv_open(To, From)) {}
    ~TIconv() {
        if (Valid()) iconv_close(FHandle);
    }
    TIconv(const TIconv&) = delete;
    TIconv& operator=(const TIconv&) = delete;
    bool Valid() const { return FHandle != reinterpret_cast<iconv_t>(-1); }
    iconv_t Get() const { return FHandle; }

private:
    iconv_t FHandle;
};

std::optional<std::string> Convert(std::string_view Bytes, const char* From) {
    TIconv converter("UTF-8", From);
    if (!converter.Valid()) return std::nullopt;
    std::string input(Bytes);
    std::string output(input.size() * 4 + 4, '\0');
    char* in = input.data();
    size_t inLeft = input.size();
    char* out = output.data();
    size_t outLeft = output.size();
    if (iconv(converter.Get(), &in, &inLeft, &out, &outLeft) == static_cast<size_t>(-1)) return std::nullopt;
    output.resize(output.size() - outLeft);
    return output;
}

// An 8-bit string of the shortcut: the code page of the system that wrote it
// is not recorded; UTF-8 is taken as it is, anything else as CP932 (the
// Japanese code page), and as Latin-1 when even that fails.
std::string AnsiToUtf8(std::string_view Bytes) {
    if (IsValidUtf8(Bytes)) return std::string(Bytes);
    if (auto text = Convert(Bytes, "CP932")) return *text;
    std::string out;
    for (const char c : Bytes) AppendUtf8(out, static_cast<uint8_t>(c));
    return out;
}

// LinkInfo at Offset; false when it is damaged.
bool ReadLinkInfo(const TReader& R, size_t Offset, uint32_t Size, TShellLinkPaths& Paths) {
    const auto headerSize = R.U32(Offset + 4);
    const auto flags = R.U32(Offset + 8);
    const auto localBaseOffset = R.U32(Offset + 16);
    const auto networkOffset = R.U32(Offset + 20);
    const auto suffixOffset = R.U32(Offset + 24);
    if (!headerSize || !flags || !localBaseOffset || !networkOffset || !suffixOffset) return false;
    if (*headerSize < 0x1C || *headerSize > Size) return false;
    const size_t end = Offset + Size;
    auto at = [&](uint32_t Relative) { return Offset + static_cast<size_t>(Relative); };
    std::optional<uint32_t> localBaseUnicode;
    std::optional<uint32_t> suffixUnicode;
    if (*headerSize >= 0x24) {
        localBaseUnicode = R.U32(Offset + 28);
        suffixUnicode = R.U32(Offset + 32);
    }

    std::string suffix;
    if (suffixUnicode && *suffixUnicode != 0) {
        if (auto text = R.UnicodeZ(at(*suffixUnicode), end)) suffix = Utf16ToUtf8(*text);
    } else if (*suffixOffset != 0) {
        if (auto text = R.AnsiZ(at(*suffixOffset), end)) suffix = AnsiToUtf8(*text);
    }

    if (*flags & VolumeIdAndLocalBasePath) {
        std::optional<std::string> base;
        if (localBaseUnicode && *localBaseUnicode != 0) {
            if (auto text = R.UnicodeZ(at(*localBaseUnicode), end)) base = Utf16ToUtf8(*text);
        } else if (*localBaseOffset != 0) {
            if (auto text = R.AnsiZ(at(*localBaseOffset), end)) base = AnsiToUtf8(*text);
        }
        if (base && !base->empty()) Paths.LocalPath = *base + suffix;
    }

    if ((*flags & CommonNetworkRelativeLinkAndPathSuffix) && *networkOffset != 0) {
        // CommonNetworkRelativeLink: size, flags, NetNameOffset, ...,
        // NetNameOffsetUnicode when NetNameOffset is above 0x14.
        const size_t link = at(*networkOffset);
        const auto linkSize = R.U32(link);
        const auto netNameOffset = R.U32(link + 8);
        if (linkSize && netNameOffset && *linkSize >= 0x14 && *linkSize <= end - std::min(end, link)) {
            const size_t linkEnd = link + *linkSize;
            std::optional<std::string> name;
            if (*netNameOffset > 0x14) {
                if (auto unicodeOffset = R.U32(link + 0x14); unicodeOffset && *unicodeOffset != 0)
                    if (auto text = R.UnicodeZ(link + *unicodeOffset, linkEnd)) name = Utf16ToUtf8(*text);
            }
            if (!name)
                if (auto text = R.AnsiZ(link + *netNameOffset, linkEnd)) name = AnsiToUtf8(*text);
            if (name && !name->empty()) Paths.NetworkPath = *name + (suffix.empty() ? "" : "\\" + suffix);
        }
    }
    return true;
}

// One StringData entry at Offset; advances Offset, false when damaged.
bool ReadStringData(const TReader& R, size_t& Offset, bool Unicode, std::string* Text) {
    const auto count = R.U16(Offset);
    if (!count) return false;
    const size_t length = static_cast<size_t>(*count) * (Unicode ? 2 : 1);
    const auto bytes = R.Bytes(Offset + 2, length);
    if (!bytes) return false;
    if (Text != nullptr) {
        // Counted, yet a NUL in it ends the text, as it does for the
        // platform's own readers of these zero-terminated strings.
        const size_t end = Offset + 2 + length;
        const auto text = (Unicode ? R.UnicodeZ(Offset + 2, end) : R.AnsiZ(Offset + 2, end)).value_or(*bytes);
        *Text = Unicode ? Utf16ToUtf8(text) : AnsiToUtf8(text);
    }
    Offset += 2 + length;
    return true;
}

bool HasAnyPath(const TShellLinkPaths& Paths) {
    return !Paths.LocalPath.empty() || !Paths.NetworkPath.empty() || !Paths.RelativePath.empty();
}

bool IsExistingFile(const std::string& Path) {
    struct stat info {};
    return !Path.empty() && ::stat(Path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string FolderOf(const std::string& Path) {
    const auto slash = Path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : Path.substr(0, slash);
}

std::optional<std::string> ReadLinkFile(const std::string& Name) {
    std::ifstream file(Name, std::ios::binary);
    if (!file) return std::nullopt;
    std::string data(MaximumLinkFileSize + 1, '\0');
    file.read(data.data(), static_cast<std::streamsize>(data.size()));
    const std::streamsize got = file.gcount();
    if (got > MaximumLinkFileSize) return std::nullopt;
    data.resize(static_cast<size_t>(got));
    return data;
}

}  // namespace

bool ParseShellLink(std::string_view Data, TShellLinkPaths& Paths) {
    Paths = {};
    const TReader r(Data);
    const auto headerSize = r.U32(0);
    const auto classId = r.Bytes(4, 16);
    const auto flags = r.U32(20);
    if (!headerSize || *headerSize != HeaderSize || r.Size() < HeaderSize || !classId || !flags) return false;
    if (std::memcmp(classId->data(), ShellLinkClassId.data(), ShellLinkClassId.size()) != 0) return false;

    size_t offset = HeaderSize;
    if (*flags & HasLinkTargetIdList) {
        const auto idListSize = r.U16(offset);
        if (!idListSize || !r.Bytes(offset + 2, *idListSize)) return false;
        offset += 2 + *idListSize;
    }
    if (*flags & HasLinkInfo) {
        const auto size = r.U32(offset);
        if (!size || *size < 0x1C || !r.Bytes(offset, *size)) return HasAnyPath(Paths);
        if (!(*flags & ForceNoLinkInfo) && !ReadLinkInfo(r, offset, *size, Paths)) return HasAnyPath(Paths);
        offset += *size;
    }
    const bool unicode = (*flags & IsUnicode) != 0;
    if ((*flags & HasName) && !ReadStringData(r, offset, unicode, nullptr)) return HasAnyPath(Paths);
    if ((*flags & HasRelativePath) && !ReadStringData(r, offset, unicode, &Paths.RelativePath))
        return HasAnyPath(Paths);
    if ((*flags & HasWorkingDir) && !ReadStringData(r, offset, unicode, &Paths.WorkingDir)) return HasAnyPath(Paths);
    // The arguments and the icon location may follow; they are not needed.
    return HasAnyPath(Paths);
}

std::string WindowsPathToLocal(std::string_view Path) {
    if (Path.substr(0, 4) == "\\\\?\\") Path.remove_prefix(4);
    if (Path.size() >= 2 && Path[1] == ':' &&
        ((Path[0] >= 'A' && Path[0] <= 'Z') || (Path[0] >= 'a' && Path[0] <= 'z'))) {
        Path.remove_prefix(2);
        if (Path.empty()) return "/";
    }
    std::string local(Path);
    for (char& c : local)
        if (c == '\\') c = '/';
    return local;
}

std::vector<std::string> ShortcutTargetCandidates(const std::string& LinkName, const TShellLinkPaths& Paths) {
    std::vector<std::string> candidates;
    for (const std::string* stored : {&Paths.LocalPath, &Paths.NetworkPath}) {
        if (stored->empty()) continue;
        candidates.push_back(*stored);
        candidates.push_back(WindowsPathToLocal(*stored));
    }
    // A relative path can be empty in local form ("\\?\" alone): it names
    // nothing, not the shortcut's folder.
    if (const std::string relative = WindowsPathToLocal(Paths.RelativePath); !relative.empty()) {
        const std::filesystem::path resolved =
            relative.front() == '/' ? std::filesystem::path(relative)
                                    : std::filesystem::path(FolderOf(LinkName)) / relative;
        candidates.push_back(resolved.lexically_normal().string());
    }
    return candidates;
}

std::string GetShortcutTarget(const std::string& LinkName) {
    if (!SameText(ExtractFileExt(LinkName), ".lnk")) return LinkName;
    try {
        const auto data = ReadLinkFile(LinkName);
        TShellLinkPaths paths;
        if (!data || !ParseShellLink(*data, paths)) return {};

        const std::vector<std::string> candidates = ShortcutTargetCandidates(LinkName, paths);
        for (const std::string& candidate : candidates)
            if (IsExistingFile(candidate)) return candidate;
        if (candidates.empty()) return {};
        // None exists: the stored target in local form, which the caller
        // will not find either.
        return candidates.size() > 1 ? candidates[1] : candidates.front();
    } catch (const std::exception&) {
        return {};
    }
}

}  // namespace lumerra
