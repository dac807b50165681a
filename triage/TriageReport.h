// The triage report of one file: text laid out as pdfid lays out its own,
// with the objects at the end of each name keyword's line, or one JSON
// object on one line.
#pragma once

#include <string>

#include "triage/Triage.h"

namespace lumerra {

std::string FormatTriageText(const TTriage& Triage);
std::string FormatTriageJson(const TTriage& Triage);

}  // namespace lumerra
