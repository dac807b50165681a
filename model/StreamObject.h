// Decoding one stream object for extended reading: its dictionary read by
// key (/Length, /Filter, /DecodeParms, each direct or referenced), its data
// taken from the file and put through every filter of the chain.
#pragma once

#include <cstdint>
#include <vector>

#include "common/StrUtils.h"
#include "common/Stream.h"
#include "filters/ExtendedChain.h"
#include "pdf/ObjectReader.h"
#include "pdf/StreamData.h"

namespace lumerra {

// Appends the decoded data of stream object Number to Output and its filter
// names to Filters; returns the number of bytes appended. An object that is
// no stream gives nothing. Streams whose filters the default reading decodes,
// without parameters, are decoded as it decodes them, so that both readings
// write the same bytes for them.
int32_t DecodeStreamObject(TObjectReader& Reader, int32_t Number, TStringList& Filters, TStream& Output,
                           TStreamDamage* Damage);

}  // namespace lumerra
