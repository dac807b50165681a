// Documents written by LibreOffice (a test-only tool): an HTML page written
// here, with headings (made into outlines), a table, a link out and one to
// a heading, and an image, converted by Writer into PDF once per test
// program; plain, and tagged as PDF/A-2b.
#pragma once

#include <optional>
#include <string>

namespace lumerra::test {

enum class TLibreOfficeKind { Plain, Tagged };

// The PDF file's path; none when soffice is not installed or the
// conversion failed (Why says which).
std::optional<std::string> LibreOfficeDocument(TLibreOfficeKind Kind, std::string* Why = nullptr);

}  // namespace lumerra::test
