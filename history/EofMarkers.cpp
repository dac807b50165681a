#include "history/EofMarkers.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "common/Stream.h"
#include "syntax/EofMarker.h"

namespace lumerra {

namespace {

constexpr std::string_view Marker = EofMarker;
// The file is read in windows of this size; a marker may straddle two.
constexpr int64_t WindowSize = 1024 * 1024;

// Bytes [At, At + Count) of File, fewer at its end.
std::vector<uint8_t> ReadAt(TStream& File, int64_t At, int64_t Count) {
    const int64_t size = File.Size();
    Count = std::clamp<int64_t>(size - At, 0, Count);
    std::vector<uint8_t> bytes(static_cast<size_t>(Count));
    if (Count == 0) return bytes;
    File.SetPosition(At);
    bytes.resize(static_cast<size_t>(File.Read(bytes.data(), static_cast<int32_t>(Count))));
    return bytes;
}

std::string_view Text(const std::vector<uint8_t>& Bytes) {
    return {reinterpret_cast<const char*>(Bytes.data()), Bytes.size()};
}

}  // namespace

std::vector<int64_t> EofMarkers(TStream& File) {
    std::vector<int64_t> markers;
    const int64_t size = File.Size();
    for (int64_t at = 0; at < size;) {
        const std::vector<uint8_t> window = ReadAt(File, at, WindowSize);
        if (window.size() < Marker.size()) break;
        const std::string_view text = Text(window);
        size_t from = 0;
        for (size_t hit; (hit = text.find(Marker, from)) != std::string_view::npos; from = hit + 1)
            markers.push_back(at + static_cast<int64_t>(hit));
        // The next window starts where a marker cut by this one's end would.
        at += static_cast<int64_t>(window.size() - Marker.size() + 1);
    }
    return markers;
}

int64_t LastEofMarker(TStream& File) {
    for (int64_t end = File.Size(); end >= static_cast<int64_t>(Marker.size());) {
        const int64_t start = std::max<int64_t>(end - WindowSize, 0);
        const std::vector<uint8_t> window = ReadAt(File, start, end - start);
        if (window.size() != static_cast<size_t>(end - start)) return -1;
        if (const size_t hit = Text(window).rfind(Marker); hit != std::string_view::npos)
            return start + static_cast<int64_t>(hit);
        if (start == 0) break;
        end = start + static_cast<int64_t>(Marker.size()) - 1;
    }
    return -1;
}

int64_t EndOfMarkerLine(TStream& File, int64_t At) {
    const int64_t end = At + static_cast<int64_t>(Marker.size());
    return end + static_cast<int64_t>(EofMarkerTail(ReadAt(File, end, 2)));
}

}  // namespace lumerra
