#include "support/PdfBuilder.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <stdexcept>

namespace lumerra::test {

namespace {

// Groups entries into subsections of consecutive numbers (or one subsection
// per entry when SplitAll is set), each under its "first count" line.
std::string Subsections(const std::map<int, std::string>& Entries, bool SplitAll) {
    std::string out;
    auto it = Entries.begin();
    while (it != Entries.end()) {
        const int first = it->first;
        std::string run;
        int count = 0;
        do {
            run += it->second;
            ++count;
            ++it;
        } while (!SplitAll && it != Entries.end() && it->first == first + count);
        out += std::to_string(first) + " " + std::to_string(count) + "\n" + run;
    }
    return out;
}

}  // namespace

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

PdfBuilder& PdfBuilder::XrefBody(const std::string& Body) {
    FRevisions.back().HasXrefBody = true;
    FRevisions.back().XrefBody = Body;
    return *this;
}

PdfBuilder& PdfBuilder::Trailer(const std::string& Text) {
    FRevisions.back().HasTrailer = true;
    FRevisions.back().Trailer = Text;
    return *this;
}

PdfBuilder& PdfBuilder::PrevTo(int Index) {
    FRevisions.back().PrevTo = Index;
    return *this;
}

std::string PdfBuilder::Entry(long long Offset, int Generation, char Type) const {
    char entry[32];
    std::snprintf(entry, sizeof entry, "%010lld %05d %c", Offset, Generation, Type);
    return entry + FOptions.EntryEnd;
}

std::string PdfBuilder::Build() const {
    // A /Prev set with PrevTo is written with ten digits, so the bytes keep
    // their length once the guessed offsets are replaced by the real ones.
    std::vector<size_t> guess(FRevisions.size(), 0);
    std::string out = BuildOnce(guess);
    const bool anyPrevTo =
        std::any_of(FRevisions.begin(), FRevisions.end(), [](const Revision& r) { return r.PrevTo >= 0; });
    if (anyPrevTo) out = BuildOnce(FXrefOffsets);
    return out;
}

std::string PdfBuilder::BuildOnce(const std::vector<size_t>& XrefGuess) const {
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
        if (revision.HasXrefBody) {
            out += revision.XrefBody;
        } else {
            // Entries of this section: object 0 (free) in the first revision.
            std::map<int, std::string> entries;
            if (r == 0) entries[0] = Entry(0, 65535, 'f');
            for (const auto& [number, offset] : offsets) entries[number] = Entry(static_cast<long long>(offset));
            out += Subsections(entries, FOptions.SplitAll);
        }
        out += "trailer\n";
        if (revision.HasTrailer) {
            out += revision.Trailer;
        } else {
            out += "<< /Size " + std::to_string(size);
            int root = revision.Root;
            if (r == 0 && root == 0 && revision.Objects.count(1) != 0) root = 1;
            if (root != 0) out += " /Root " + std::to_string(root) + " 0 R";
            if (revision.PrevTo >= 0) {
                char prev[16];
                const auto index = static_cast<size_t>(revision.PrevTo);
                const size_t target = index < XrefGuess.size() ? XrefGuess[index] : 0;
                std::snprintf(prev, sizeof prev, "%010zu", target);
                out += std::string(" /Prev ") + prev;
            } else if (r > 0) {
                out += " /Prev " + std::to_string(FXrefOffsets[r - 1]);
            }
            if (!revision.TrailerExtra.empty()) out += " " + revision.TrailerExtra;
            out += " >>\n";
        }
        out += FOptions.StartXrefPrefix + std::to_string(xref) + "\n%%EOF" + FOptions.Tail;
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
