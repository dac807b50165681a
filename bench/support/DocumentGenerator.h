// Large PDF documents for the benchmarks, generated in memory: a balanced
// page tree, one content stream per page and filler objects up to a given
// object count, with a classic cross-reference table.
#pragma once

#include <cstdint>
#include <string>

namespace lumerra::bench {

struct TDocumentShape {
    int32_t Objects = 100000;   // object numbers 0 .. Objects - 1 (the table's size)
    int32_t Pages = 10000;
    int32_t KidsPerNode = 100;  // kids of each node of the page tree
    int32_t ContentSize = 200;  // bytes of each page's content stream
};

// The bytes of a PDF 1.4 file of that shape. Raises std::invalid_argument
// when Objects is too small for the catalog, the tree and the pages.
std::string GenerateDocument(const TDocumentShape& Shape);

// A file in a private temporary folder, removed with the object.
class TTempDocument {
public:
    explicit TTempDocument(const std::string& Bytes);
    ~TTempDocument();
    TTempDocument(const TTempDocument&) = delete;
    TTempDocument& operator=(const TTempDocument&) = delete;
    const std::string& Path() const { return FPath; }

private:
    std::string FFolder;
    std::string FPath;
};

// The default shape's document, written once per benchmark program.
const TTempDocument& DefaultShapeDocument();

}  // namespace lumerra::bench
