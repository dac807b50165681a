#include "support/PdfBuilder.h"

#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <stdexcept>

namespace lumerra::test {

PdfBuilder::PdfBuilder() : PdfBuilder(Options{}) {}

PdfBuilder::PdfBuilder(Options options) : FOptions(std::move(options)), FRevisions(1) {}

int PdfBuilder::Add(const std::string& Body) {
    const int number = FNextNumber;
    Set(number, Body);
    return number;
}

PdfBuilder& PdfBuilder::Set(int Number, const std::string& Body) {
    FRevisions.back().Objects[Number] = Body;
    if (Number >= FNextNumber) FNextNumber = Number + 1;
    return *this;
}

static std::string StreamBody(const std::string& Dict, const std::string& Data) {
    return "<< /Length " + std::to_string(Data.size()) + (Dict.empty() ? "" : " ") + Dict + " >>\nstream\n" +
           Data + "\nendstream";
}

int PdfBuilder::AddStream(const std::string& Dict, const std::string& Data) { return Add(StreamBody(Dict, Data)); }

PdfBuilder& PdfBuilder::SetStream(int Number, const std::string& Dict, const std::string& Data) {
    return Set(Number, StreamBody(Dict, Data));
}

PdfBuilder& PdfBuilder::NewRevision() {
    FRevisions.emplace_back();
    return *this;
}

PdfBuilder& PdfBuilder::TrailerExtra(const std::string& Extra) {
    FRevisions.back().TrailerExtra = Extra;
    return *this;
}

PdfBuilder& PdfBuilder::Root(int Number) {
    FRevisions.back().Root = Number;
    return *this;
}

PdfBuilder& PdfBuilder::Filler(const std::string& Bytes) {
    FRevisions.back().Filler = Bytes;
    return *this;
}

std::string PdfBuilder::Build() const {
    FOffsets.clear();
    FXrefOffsets.clear();
    std::string out = FOptions.Header;
    int size = 1;
    for (size_t r = 0; r < FRevisions.size(); ++r) {
        const Revision& revision = FRevisions[r];
        std::map<int, size_t> offsets;
        for (const auto& [number, body] : revision.Objects) {
            offsets[number] = out.size();
            FOffsets[number] = out.size();
            out += std::to_string(number) + " 0 obj\n" + body + "\nendobj\n";
            size = std::max(size, number + 1);
        }
        out += revision.Filler;
        const size_t xref = out.size();
        FXrefOffsets.push_back(xref);
        out += "xref\n";
        // Entries of this section: object 0 (free) in the first revision.
        std::map<int, std::string> entries;
        char entry[32];
        if (r == 0) entries[0] = std::string("0000000000 65535 f") + FOptions.EntryEnd;
        for (const auto& [number, offset] : offsets) {
            std::snprintf(entry, sizeof entry, "%010zu 00000 n", offset);
            entries[number] = entry + FOptions.EntryEnd;
        }
        // Group consecutive numbers into subsections.
        auto it = entries.begin();
        while (it != entries.end()) {
            const int first = it->first;
            std::string run;
            int count = 0;
            do {
                run += it->second;
                ++count;
                ++it;
            } while (!FOptions.SplitAll && it != entries.end() && it->first == first + count);
            out += std::to_string(first) + " " + std::to_string(count) + "\n" + run;
        }
        out += "trailer\n<< /Size " + std::to_string(size);
        int root = revision.Root;
        if (r == 0 && root == 0 && revision.Objects.count(1) != 0) root = 1;
        if (root != 0) out += " /Root " + std::to_string(root) + " 0 R";
        if (r > 0) out += " /Prev " + std::to_string(FXrefOffsets[r - 1]);
        if (!revision.TrailerExtra.empty()) out += " " + revision.TrailerExtra;
        out += " >>\n" + FOptions.StartXrefPrefix + std::to_string(xref) + "\n%%EOF" + FOptions.Tail;
    }
    return out;
}

PdfBuilder PdfBuilder::SimpleDocument(const std::vector<std::string>& PageContents, const std::string& Resources) {
    PdfBuilder builder;
    builder.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
    std::string kids;
    int next = 3;
    std::vector<std::pair<int, int>> pages;  // page number, content number
    for (size_t i = 0; i < PageContents.size(); ++i) {
        pages.emplace_back(next, next + 1);
        kids += (kids.empty() ? "" : " ") + std::to_string(next) + " 0 R";
        next += 2;
    }
    builder.Set(2, "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(PageContents.size()) + " >>");
    for (size_t i = 0; i < PageContents.size(); ++i) {
        const auto [page, content] = pages[i];
        builder.Set(page, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792]" +
                              (Resources.empty() ? std::string() : " /Resources " + Resources) + " /Contents " +
                              std::to_string(content) + " 0 R >>");
        builder.SetStream(content, "", PageContents[i]);
    }
    return builder;
}

TempFile::TempFile(const std::string& Bytes, const std::string& Name) {
    std::string pattern = (std::filesystem::temp_directory_path() / "lumerra-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    FFolder = pattern;
    FPath = FFolder + "/" + Name;
    WriteFileBytes(FPath, Bytes);
}

TempFile::~TempFile() {
    std::error_code ignored;
    // Restore permissions so that read-only fixtures can be removed.
    for (const auto& entry : std::filesystem::directory_iterator(FFolder, ignored))
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(FFolder, ignored);
}

std::string ReadFileBytes(const std::string& Path) {
    std::ifstream in(Path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + Path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& Path, const std::string& Bytes) {
    std::ofstream out(Path, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot write " + Path);
    out.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
}

std::string Deflate(const std::string& Data, int Level) {
    uLongf size = compressBound(static_cast<uLong>(Data.size()));
    std::string out(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(Data.data()),
                  static_cast<uLong>(Data.size()), Level) != Z_OK)
        throw std::runtime_error("compress2 failed");
    out.resize(size);
    return out;
}

}  // namespace lumerra::test
