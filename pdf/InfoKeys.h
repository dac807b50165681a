// The Info dictionary's text entries that info shows, as both readings
// read them (DefaultDocInfo.cpp, ExtendedDocInfo.cpp).
#pragma once

#include <array>
#include <utility>

namespace lumerra {

// The dictionary's keys, with the names info prints them under, in the
// order it prints them.
inline constexpr std::array<std::pair<const char*, const char*>, 8> InfoKeys = {{
    {"/Title", "title"},
    {"/Author", "author"},
    {"/Subject", "subject"},
    {"/Keywords", "keywords"},
    {"/Creator", "creator"},
    {"/Producer", "producer"},
    {"/CreationDate", "creation-date"},
    {"/ModDate", "mod-date"},
}};

}  // namespace lumerra
