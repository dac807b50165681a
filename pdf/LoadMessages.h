// Load errors that more than one of the analyser's units raise.
#pragma once

namespace lumerra {

inline constexpr const char* MsgXrefOffsetInvalid = "相互参照テーブルの位置が不正です。";
inline constexpr const char* MsgXrefCountInvalid = "相互参照テーブルの項目数が不正です。";
inline constexpr const char* MsgTrailerInvalid = "trailerが正しくありません。";

}  // namespace lumerra
