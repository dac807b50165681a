// "lumerra decode --json": the report as one JSON document, written from the
// same records as the text report (collected resources, content list,
// decoded streams), never from the text.
#pragma once

#include <cstdint>
#include <string>

#include "common/Stream.h"
#include "decoder/PDFLumerra.h"

namespace lumerra::cli {

// Writes {"file": NAME, "pages": [...]} for pages First..Last (counted from
// 1) of the document Decoder reads. With WithData each stream also carries
// its decoded bytes, base64-encoded, as "data-base64". Returns false when the
// run was cancelled between pages (Decoder.EscapeKeyQuery); Progress is
// called as DecodeToStream calls it.
bool WriteJsonReport(TPDFLumerra& Decoder, TPDFAnalyst& Analyst, TStream& Output, int32_t First, int32_t Last,
                     bool WithData, const TDecodeProgressProc& Progress);

// Standard base64 with padding: every byte survives, whatever it is.
std::string Base64(const std::string& Bytes);

}  // namespace lumerra::cli
