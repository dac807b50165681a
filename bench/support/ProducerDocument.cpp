#include "support/ProducerDocument.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "support/Process.h"

namespace lumerra::bench {

std::string LongPostScript(int Pages) {
    static const char* const Words[] = {
        "analysis", "of",      "the",       "structure", "and",     "content", "in",       "each",     "document",
        "results",  "show",    "that",      "a",         "method",  "for",     "reading",  "streams",  "is",
        "faster",   "when",    "pages",     "are",       "decoded", "ahead",   "section",  "figure",   "table",
        "theorem",  "proof",   "lemma",     "we",        "find",    "with",    "between",  "without",  "through",
        "because",  "however", "therefore", "previous",  "next",    "value",   "function", "equation", "system"};
    uint32_t seed = 12345;
    auto next = [&seed](uint32_t range) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % range;
    };
    std::string ps =
        "%!PS-Adobe-3.0\n"
        "/R /Times-Roman findfont 10 scalefont def /I /Times-Italic findfont 10 scalefont def\n"
        "/B /Times-Bold findfont 14 scalefont def /C /Courier findfont 9 scalefont def\n";
    char piece[160];
    for (int page = 1; page <= Pages; ++page) {
        std::snprintf(piece, sizeof piece, "B setfont 72 770 moveto (Section %d.%u) show\n", page, next(9) + 1);
        ps += piece;
        for (int line = 0; line < 56; ++line) {
            std::snprintf(piece, sizeof piece, "72 %d moveto ", 750 - 12 * line);
            ps += piece;
            if (next(12) == 0) {
                std::snprintf(piece, sizeof piece, "C setfont (    result = decode\\(stream_%u, %u\\);) show\n",
                              next(1000), next(100));
                ps += piece;
                continue;
            }
            ps += "R setfont (";
            for (size_t length = 0; length < 80;) {
                const char* word = Words[next(sizeof Words / sizeof *Words)];
                if (next(15) == 0) {
                    ps += std::string(") show I setfont (") + word + " ) show R setfont (";
                } else {
                    ps += word;
                    ps += ' ';
                }
                length += std::strlen(word) + 1;
            }
            ps += ") show\n";
        }
        std::snprintf(piece, sizeof piece, "R setfont 290 40 moveto (%d) show showpage\n", page);
        ps += piece;
    }
    return ps;
}

bool WriteProducerDocument(const std::string& Path, int Pages) {
    const std::string source = BenchTempPath("producer.ps");
    std::ofstream(source, std::ios::binary) << LongPostScript(Pages);
    const std::string command = "ps2pdf -dCompatibilityLevel=1.4 '" + source + "' '" + Path + "' >/dev/null 2>&1";
    const bool made = std::system(command.c_str()) == 0 && std::filesystem::exists(Path);
    std::filesystem::remove(source);
    return made;
}

}  // namespace lumerra::bench
