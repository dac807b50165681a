// A document as a real producer writes it, for the benchmarks that compare
// with one: long text typeset from PostScript by Ghostscript's ps2pdf.
#pragma once

#include <string>

namespace lumerra::bench {

// Long text typeset in PostScript: a heading and 56 lines a page, words in
// roman with some in italic or bold, a line of code now and then, and the
// page number at the foot.
std::string LongPostScript(int Pages);

// Writes Pages of that text to Path through ps2pdf at PDF 1.4. False when
// ps2pdf is missing or fails.
bool WriteProducerDocument(const std::string& Path, int Pages);

}  // namespace lumerra::bench
