// How "revisions" tells what a signature is and what came after it: each
// later revision's level and verdict, the objects it touched with their
// roles, and the shadow-attack findings.
#pragma once

#include <string>

#include "cli/JsonLines.h"
#include "history/DocumentHistory.h"

namespace lumerra::cli {

// "approval", "certification", "usage-rights", "document-timestamp".
const char* KindName(TSignatureKind Kind);
// "none", "lta", "form-filling", "annotations", "other".
const char* LevelName(TChangeLevel Level);
// "allowed", "not-allowed", "no-permission-declared".
const char* VerdictName(TVerdict Verdict);
// "page 2 content", "field Name", "annotation 14", ...
std::string RoleText(const TObjectRole& Role);

// The lines after signature Object's own: its kind, one per later
// revision, one per finding.
std::string ReviewLines(int32_t Object, const TSignatureReview& Review);
// Adds kind, subfilter, permissions and later to a signature's entry.
void AddReviewJson(TJson& Entry, const TSignatureReview& Review);
// Every signature's findings: {code, message, signature, revision, objects}.
TJson ShadowFindingsJson(const TDocumentHistory& History);

}  // namespace lumerra::cli
