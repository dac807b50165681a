// TDefaultAnalyst: the default reading, as it has always read. The file
// must start with its header, end with "%%EOF" and hold classic tables; the
// catalog and the page tree are read token by token (TObjectScanner).
#pragma once

#include <string>

#include "pdf/PDFAnalyst.h"

namespace lumerra {

class TDefaultAnalyst final : public TPDFAnalyst {
public:
    TReading Reading() const override { return TReading::Default; }
    TFileStream::TMode OpenMode() const override { return TFileStream::TMode::OpenRead; }

    // The raw /MediaBox text of page ID, or of its nearest ancestor that
    // has one; empty when none has.
    std::string& GetMediaBoxText(int32_t ID, std::string& Text);

protected:
    void Analyze() override;
    std::unique_ptr<TPDFAnalyst> EmptyReader() const override { return std::make_unique<TDefaultAnalyst>(); }
    void AppendPages(TIDList& List) override;
    TInfoEntries ReadInfoEntries() override;  // DefaultDocInfo.cpp

private:
    // From the end marker to the first page, by the file's own table.
    void ReadStructure();
    // "%%EOF" as the last bytes before trailing white space, and the word
    // before it the newest section's offset.
    int32_t EndMarkerOffset(TStream& S);
    // One cross-reference section with its trailer, then the /Prev chain.
    void ReadXrefSection(int32_t Offset);
    void ReadSubsectionEntries(int32_t First, int32_t Count);
    void ReadCatalog();
    void ReadPageCount();
    void ReadFirstPage();
    // Walks the page tree from the first /Pages in document order, calling
    // OnLeaf for every leaf until it returns false.
    template <class TLeafHandler>
    void WalkPageTree(TLeafHandler&& OnLeaf);
};

}  // namespace lumerra
