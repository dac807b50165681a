// Builds PDF files for the tests: objects in, bytes out, with exact
// cross-reference offsets, several revisions (incremental updates), several
// subsections per section and a choice of entry line ends.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace lumerra::test {

class PdfBuilder {
public:
    struct Options {
        std::string Header = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
        // Ends each 20-byte entry: " \n", " \r", "\r\n"; "\n" gives 19 bytes.
        std::string EntryEnd = " \n";
        // Split each section into one subsection per run of numbers (true),
        // or into one subsection per object (splitAll).
        bool SplitAll = false;
        // What follows the final "%%EOF".
        std::string Tail = "\n";
        // Write "startxref" and the offset on one line each before %%EOF.
        std::string StartXrefPrefix = "startxref\n";
        // Each revision's cross-reference section as a stream (/Type /XRef)
        // with the trailer's keys in its dictionary, instead of a table.
        bool XrefStreams = false;
        // The objects of each revision that are not streams go into one
        // object stream (needs XrefStreams).
        bool ObjectStreams = false;
        // Those two streams Flate-compressed with a PNG Up predictor, as
        // producers write them; plain when false.
        bool CompressStructure = true;
    };

    PdfBuilder();
    explicit PdfBuilder(Options options);

    // Adds an object with the next free number; Body stands between
    // "n 0 obj\n" and "\nendobj\n". Returns the number.
    int Add(const std::string& Body);
    // Adds or replaces object Number in the current revision.
    PdfBuilder& Set(int Number, const std::string& Body);
    // A stream object: Dict is the dictionary's inside (without << >>);
    // "/Length n" is added in front of it.
    int AddStream(const std::string& Dict, const std::string& Data);
    PdfBuilder& SetStream(int Number, const std::string& Dict, const std::string& Data);
    // Lists object Number as free in the current revision's section, with
    // generation Generation.
    PdfBuilder& Free(int Number, int Generation = 1);
    // Starts a new revision (an incremental update with /Prev).
    PdfBuilder& NewRevision();
    // Extra keys for the current revision's trailer, e.g. "/Encrypt 9 0 R".
    PdfBuilder& TrailerExtra(const std::string& Extra);
    // /Root of the current revision's trailer (0 omits it).
    PdfBuilder& Root(int Number);
    // Bytes placed between the objects and the xref of the current revision.
    PdfBuilder& Filler(const std::string& Bytes);
    // Replaces the subsection lines of the current revision's section (what
    // stands between "xref\n" and "trailer"), for damaged tables.
    PdfBuilder& XrefBody(const std::string& Body);
    // Replaces what follows "trailer\n" up to the startxref prefix in the
    // current revision (the dictionary and its line end).
    PdfBuilder& Trailer(const std::string& Text);
    // Points the current revision's /Prev at the section of revision Index
    // (itself or a later one too, for chains that come back).
    PdfBuilder& PrevTo(int Index);
    // One cross-reference entry ending in Options::EntryEnd.
    std::string Entry(long long Offset, int Generation = 0, char Type = 'n') const;

    std::string Build() const;
    // Offsets of the objects in the last Build, and of each xref section.
    const std::map<int, size_t>& Offsets() const { return FOffsets; }
    const std::vector<size_t>& XrefOffsets() const { return FXrefOffsets; }

    // A simple document: catalog 1, page tree root 2, one page per content
    // text. Each page gets a /MediaBox and, when given, a /Resources value.
    static PdfBuilder SimpleDocument(const std::vector<std::string>& PageContents,
                                     const std::string& Resources = "");

private:
    struct Revision {
        std::map<int, std::string> Objects;
        std::map<int, int> Freed;  // number -> generation
        std::string TrailerExtra;
        std::string Filler;
        int Root = 0;
        bool HasXrefBody = false;
        std::string XrefBody;
        bool HasTrailer = false;
        std::string Trailer;
        int PrevTo = -1;
    };

    std::string BuildOnce(const std::vector<size_t>& XrefGuess) const;
    // The trailer keys of revision R (without << >>), for a table's trailer
    // or a cross-reference stream's dictionary.
    std::string TrailerKeys(size_t R, int Size, const std::vector<size_t>& XrefGuess) const;
    // Writes revision R's objects, as they are or in an object stream, and
    // its cross-reference stream; returns that stream's offset.
    size_t WriteStreamRevision(size_t R, std::string& Out, int& Size, const std::vector<size_t>& XrefGuess) const;

    Options FOptions;
    std::vector<Revision> FRevisions;
    int FNextNumber = 1;
    mutable std::map<int, size_t> FOffsets;
    mutable std::vector<size_t> FXrefOffsets;
};

// Writes Bytes to a new file in a fresh temporary folder that is removed
// with the object.
class TempFile {
public:
    explicit TempFile(const std::string& Bytes, const std::string& Name = "test.pdf");
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::string& Path() const { return FPath; }
    const std::string& Folder() const { return FFolder; }
    // A path in the same folder.
    std::string Sibling(const std::string& Name) const { return FFolder + "/" + Name; }

private:
    std::string FFolder;
    std::string FPath;
};

std::string ReadFileBytes(const std::string& Path);
void WriteFileBytes(const std::string& Path, const std::string& Bytes);
// zlib-compressed Data (for Flate fixtures).
std::string Deflate(const std::string& Data, int Level = 6);

}  // namespace lumerra::test
