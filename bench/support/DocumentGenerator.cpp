#include "support/DocumentGenerator.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace lumerra::bench {

namespace {

struct TNode {
    int32_t Number = 0;
    int32_t Parent = 0;  // 0 for the root
    std::vector<int32_t> Kids;
    int32_t Count = 0;   // leaves below
};

std::string References(const std::vector<int32_t>& Numbers) {
    std::string text;
    for (const int32_t n : Numbers) text += (text.empty() ? "" : " ") + std::to_string(n) + " 0 R";
    return text;
}

}  // namespace

std::string GenerateDocument(const TDocumentShape& Shape) {
    if (Shape.Pages < 1 || Shape.KidsPerNode < 2) throw std::invalid_argument("bad document shape");
    // Page tree nodes, bottom up: each level groups the one below it.
    std::vector<std::vector<TNode>> levels;
    int32_t next = 2;  // 1 is the catalog
    std::vector<int32_t> below(static_cast<size_t>(Shape.Pages), 0);
    std::vector<int32_t> belowCount(static_cast<size_t>(Shape.Pages), 1);
    size_t width = below.size();
    do {
        std::vector<TNode> level((width + Shape.KidsPerNode - 1) / Shape.KidsPerNode);
        for (size_t i = 0; i < level.size(); ++i) {
            for (size_t k = i * Shape.KidsPerNode; k < std::min(width, (i + 1) * Shape.KidsPerNode); ++k)
                level[i].Count += belowCount[k];
        }
        belowCount.clear();
        for (const TNode& node : level) belowCount.push_back(node.Count);
        levels.push_back(std::move(level));
        width = levels.back().size();
    } while (width > 1);
    // Number the nodes top down, so the root is 2; then pages and contents.
    for (auto level = levels.rbegin(); level != levels.rend(); ++level)
        for (TNode& node : *level) node.Number = next++;
    const int32_t firstPage = next;
    next += 2 * Shape.Pages;  // page i is firstPage + 2i, its content firstPage + 2i + 1
    const int32_t font = Shape.Objects - 1;  // the last object: the font of the root's resources
    if (next > font) throw std::invalid_argument("too few objects for the page tree");
    // Link the levels: kids of level L are the nodes of level L - 1 (or pages).
    for (size_t L = 0; L < levels.size(); ++L) {
        for (size_t i = 0; i < levels[L].size(); ++i) {
            const size_t end = std::min(L == 0 ? static_cast<size_t>(Shape.Pages) : levels[L - 1].size(),
                                        (i + 1) * Shape.KidsPerNode);
            for (size_t k = i * Shape.KidsPerNode; k < end; ++k) {
                const int32_t kid = L == 0 ? firstPage + 2 * static_cast<int32_t>(k) : levels[L - 1][k].Number;
                levels[L][i].Kids.push_back(kid);
                if (L > 0) levels[L - 1][k].Parent = levels[L][i].Number;
            }
        }
    }
    std::vector<int32_t> pageParent(static_cast<size_t>(Shape.Pages));
    for (const TNode& node : levels[0])
        for (const int32_t kid : node.Kids) pageParent[static_cast<size_t>((kid - firstPage) / 2)] = node.Number;

    std::vector<std::string> bodies(static_cast<size_t>(Shape.Objects));
    bodies[1] = "<< /Type /Catalog /Pages 2 0 R >>";
    for (const auto& level : levels)
        for (const TNode& node : level)
            bodies[static_cast<size_t>(node.Number)] =
                "<< /Type /Pages" + (node.Parent != 0 ? " /Parent " + std::to_string(node.Parent) + " 0 R" : "") +
                " /Kids [" + References(node.Kids) + "] /Count " + std::to_string(node.Count) +
                (node.Parent == 0 ? " /MediaBox [0 0 595 842] /Resources << /Font << /F1 " + std::to_string(font) + " 0 R >> >>"
                                     : "") + " >>";
    const std::string content = [&] {
        std::string text = "BT /F1 12 Tf 72 720 Td (";
        text.append(static_cast<size_t>(std::max(0, Shape.ContentSize - 40)), 'x');
        return text + ") Tj ET";
    }();
    for (int32_t i = 0; i < Shape.Pages; ++i) {
        const int32_t page = firstPage + 2 * i;
        bodies[static_cast<size_t>(page)] = "<< /Type /Page /Parent " + std::to_string(pageParent[static_cast<size_t>(i)]) +
                                            " 0 R /Contents " + std::to_string(page + 1) + " 0 R >>";
        bodies[static_cast<size_t>(page + 1)] =
            "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream";
    }
    // Filler: small dictionaries, as fonts, annotations and the like would be.
    for (int32_t n = next; n < font; ++n)
        bodies[static_cast<size_t>(n)] = "<< /Type /Filler /Index " + std::to_string(n) + " /Name (object) >>";
    bodies[static_cast<size_t>(font)] = "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>";

    std::string out = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    std::vector<size_t> offsets(static_cast<size_t>(Shape.Objects), 0);
    for (int32_t n = 1; n < Shape.Objects; ++n) {
        offsets[static_cast<size_t>(n)] = out.size();
        out += std::to_string(n) + " 0 obj\n" + bodies[static_cast<size_t>(n)] + "\nendobj\n";
    }
    const size_t xref = out.size();
    out += "xref\n0 " + std::to_string(Shape.Objects) + "\n0000000000 65535 f \n";
    char entry[24];
    for (int32_t n = 1; n < Shape.Objects; ++n) {
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offsets[static_cast<size_t>(n)]);
        out += entry;
    }
    out += "trailer\n<< /Size " + std::to_string(Shape.Objects) + " /Root 1 0 R >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
    return out;
}

TTempDocument::TTempDocument(const std::string& Bytes) {
    std::string pattern = (std::filesystem::temp_directory_path() / "lumerra-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    FFolder = pattern;
    FPath = FFolder + "/document.pdf";
    std::ofstream out(FPath, std::ios::binary | std::ios::trunc);
    out.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + FPath);
}

TTempDocument::~TTempDocument() {
    std::error_code ignored;
    std::filesystem::remove_all(FFolder, ignored);
}

const TTempDocument& DefaultShapeDocument() {
    static const TTempDocument document(GenerateDocument(TDocumentShape{}));
    return document;
}

}  // namespace lumerra::bench
