// The object check's lines on the command line: each finding as a line of
// text or of JSON, and the --stats lines. Labels stay English in every
// locale; the message follows the user's.
#pragma once

#include <string>

#include "objects/ObjectChecker.h"
#include "objects/ObjectFinding.h"

namespace lumerra::cli {

// "object 12, path trailer/Root/Pages, key Kids, type PageTreeNodeRoot:
// error missing-key: The required key Kids is missing." (no file name, no
// line end); no object for the trailer's own findings, no key for the
// object's, a version where one is concerned.
std::string ObjectFindingText(const objects::TObjectFinding& Finding);
// One JSON line: file, check "objects", object, path, key, type, version,
// severity, code, message and message-code (null where it has none).
std::string ObjectFindingJson(const std::string& File, const objects::TObjectFinding& Finding);
// The --stats lines of one file, each after "FILE: ".
std::string ObjectStatsText(const std::string& File, const objects::TObjectStats& Stats);
std::string ObjectStatsJson(const std::string& File, const objects::TObjectStats& Stats);

}  // namespace lumerra::cli
