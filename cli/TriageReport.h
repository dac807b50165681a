// The triage report of one file: text laid out as pdfid lays out its own,
// with the objects at the end of each name keyword's line, or one JSON
// object on one line.
#pragma once

#include <functional>
#include <string>

#include "triage/Triage.h"

namespace lumerra {

std::string FormatTriageText(const TTriage& Triage);
// Sentence makes the error's text in the reader's language.
std::string FormatTriageJson(const TTriage& Triage,
                             const std::function<std::string(const TMessage&)>& Sentence = JapaneseText);

}  // namespace lumerra
