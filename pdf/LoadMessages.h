// Load errors that more than one of the analyser's units raise.
#pragma once

#include "common/Message.h"

namespace lumerra {

inline constexpr TMessageCode MsgXrefOffsetInvalid = TMessageCode::XrefOffsetInvalid;
inline constexpr TMessageCode MsgXrefCountInvalid = TMessageCode::XrefCountInvalid;
inline constexpr TMessageCode MsgTrailerInvalid = TMessageCode::TrailerInvalid;

}  // namespace lumerra
