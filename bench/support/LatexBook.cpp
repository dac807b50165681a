#include "support/LatexBook.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "support/Process.h"

namespace lumerra::bench {

namespace {

class TWords {
public:
    uint32_t Next(uint32_t Range) {
        FSeed = FSeed * 1664525u + 1013904223u;
        return (FSeed >> 8) % Range;
    }
    const char* Word() {
        static const char* const Words[] = {
            "analysis", "of",       "the",      "structure", "and",       "content",  "in",       "each",
            "document", "results",  "show",     "that",      "a",         "method",   "for",      "reading",
            "streams",  "is",       "faster",   "when",      "pages",     "are",      "decoded",  "ahead",
            "section",  "figure",   "table",    "theorem",   "proof",     "lemma",    "we",       "find",
            "with",     "between",  "without",  "through",   "because",   "however",  "therefore", "previous",
            "next",     "value",    "function", "equation",  "system",    "bounded",  "measure",  "space"};
        return Words[Next(sizeof Words / sizeof *Words)];
    }
    // A paragraph of about Length words, with now and then an emphasised
    // word or a formula in the line.
    std::string Paragraph(int Length) {
        std::string text;
        for (int w = 0; w < Length; ++w) {
            const uint32_t kind = Next(40);
            if (kind == 0) {
                text += std::string("\\emph{") + Word() + "} ";
            } else if (kind == 1) {
                char formula[96];
                std::snprintf(formula, sizeof formula, "$x_{%u} = \\sum_{k=1}^{%u} a_k^{%u}$ ", Next(9), 2 + Next(20),
                              1 + Next(3));
                text += formula;
            } else {
                text += Word();
                text += ' ';
            }
        }
        return text + "\n\n";
    }
    // A figure drawn with picture mode's lines, circles and boxes.
    std::string Figure(int Number) {
        std::string picture = "\\begin{figure}[ht]\\centering\\setlength{\\unitlength}{1mm}\n\\begin{picture}(100,40)\n";
        char piece[128];
        for (int i = 0; i < 12; ++i) {
            std::snprintf(piece, sizeof piece, "\\put(%u,%u){\\line(1,%u){%u}}\\put(%u,%u){\\circle{%u}}\n", Next(80),
                          Next(30), Next(3), 5 + Next(15), 10 + Next(80), 5 + Next(30), 2 + Next(6));
            picture += piece;
        }
        std::snprintf(piece, sizeof piece, "\\put(0,0){\\framebox(100,40){}}\\put(40,2){\\makebox(20,5){step %u}}\n",
                      Next(100));
        picture += piece;
        std::snprintf(piece, sizeof piece, "\\end{picture}\n\\caption{Figure number %d}\n\\end{figure}\n\n", Number);
        return picture + piece;
    }

private:
    uint32_t FSeed = 4242;
};

}  // namespace

std::string BookSource(int Pages) {
    TWords words;
    std::string tex =
        // PDF 1.4 without object streams, as pdflatex writes for journals
        // and archives that ask for it: the default reading reads no
        // object streams.
        "\\pdfminorversion=4 \\pdfobjcompresslevel=0\n"
        "\\documentclass[11pt]{book}\n"
        "\\begin{document}\n"
        "\\title{A Long Book}\\author{Benchmark}\\date{}\\maketitle\n\\tableofcontents\n";
    // A chapter comes to about twelve pages.
    const int chapters = Pages / 12 + 1;
    int figure = 0;
    for (int chapter = 1; chapter <= chapters; ++chapter) {
        tex += "\\chapter{Chapter " + std::to_string(chapter) + "}\n";
        for (int section = 1; section <= 4; ++section) {
            tex += "\\section{Section " + std::to_string(section) + "}\n";
            for (int paragraph = 0; paragraph < 8; ++paragraph) tex += words.Paragraph(60 + static_cast<int>(words.Next(120)));
            if (words.Next(3) == 0) tex += words.Figure(++figure);
        }
    }
    return tex + "\\end{document}\n";
}

bool WriteLatexBook(const std::string& Path, int Pages) {
    const std::filesystem::path folder = BenchTempPath("latex-book");
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "book.tex", std::ios::binary) << BookSource(Pages);
    // One run: the table of contents stays empty, which costs the
    // benchmark nothing and halves the wait.
    const std::string run =
        "cd '" + folder.string() + "' && pdflatex -interaction=batchmode book.tex >/dev/null 2>&1";
    bool made = std::system(run.c_str()) == 0 && std::filesystem::exists(folder / "book.pdf");
    if (made) std::filesystem::copy_file(folder / "book.pdf", Path, std::filesystem::copy_options::overwrite_existing);
    std::filesystem::remove_all(folder);
    return made;
}

}  // namespace lumerra::bench
