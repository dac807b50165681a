// A book typeset by pdflatex, for the benchmarks that compare with one:
// chapters and sections of running text, some mathematics, and figures drawn
// in picture mode, as a thesis or a manual is written.
#pragma once

#include <string>

namespace lumerra::bench {

// The LaTeX source of a book of about Pages pages.
std::string BookSource(int Pages);

// Typesets that book into Path with pdflatex, in a folder of its own that
// is removed after. False when pdflatex is missing or fails.
bool WriteLatexBook(const std::string& Path, int Pages);

}  // namespace lumerra::bench
