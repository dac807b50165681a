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

PdfBuilder& PdfBuilder::Free(int Number, int Generation) {
    FRevisions.back().Freed[Number] = Generation;
    return *this;
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

std::string PdfBuilder::TrailerKeys(size_t R, int Size, const std::vector<size_t>& XrefGuess) const {
    const Revision& revision = FRevisions[R];
    std::string keys = "/Size " + std::to_string(Size);
    int root = revision.Root;
    if (R == 0 && root == 0 && revision.Objects.count(1) != 0) root = 1;
    if (root != 0) keys += " /Root " + std::to_string(root) + " 0 R";
    if (revision.PrevTo >= 0) {
        char prev[16];
        const auto index = static_cast<size_t>(revision.PrevTo);
        const size_t target = index < XrefGuess.size() ? XrefGuess[index] : 0;
        std::snprintf(prev, sizeof prev, "%010zu", target);
        keys += std::string(" /Prev ") + prev;
    } else if (R > 0) {
        keys += " /Prev " + std::to_string(FXrefOffsets[R - 1]);
    }
    if (!revision.TrailerExtra.empty()) keys += " " + revision.TrailerExtra;
    return keys;
}

namespace {

// Big-endian fields of one cross-reference stream entry with /W [1 4 2].
std::string XrefRow(int Type, size_t Field2, int Field3) {
    const std::string row = {static_cast<char>(Type),         static_cast<char>(Field2 >> 24 & 0xff),
                             static_cast<char>(Field2 >> 16 & 0xff), static_cast<char>(Field2 >> 8 & 0xff),
                             static_cast<char>(Field2 & 0xff),        static_cast<char>(Field3 >> 8 & 0xff),
                             static_cast<char>(Field3 & 0xff)};
    return row;
}

// PNG Up rows of Columns bytes: each row as its difference to the one above.
std::string PngUp(const std::string& Data, size_t Columns) {
    std::string out;
    for (size_t row = 0; row * Columns < Data.size(); ++row) {
        out += '\x02';
        for (size_t i = 0; i < Columns && row * Columns + i < Data.size(); ++i) {
            const auto above = row == 0 ? 0 : static_cast<uint8_t>(Data[(row - 1) * Columns + i]);
            out += static_cast<char>(static_cast<uint8_t>(Data[row * Columns + i]) - above);
        }
    }
    return out;
}

bool IsStreamBody(const std::string& Body) { return Body.find("\nstream\n") != std::string::npos; }

}  // namespace

size_t PdfBuilder::WriteStreamRevision(size_t R, std::string& Out, int& Size,
                                       const std::vector<size_t>& XrefGuess) const {
    const Revision& revision = FRevisions[R];
    std::map<int, std::string> rows;  // object number -> its entry
    if (R == 0) rows[0] = XrefRow(0, 0, 65535);
    for (const auto& [number, generation] : revision.Freed) rows[number] = XrefRow(0, 0, generation);
    // The builder's own objects take numbers that no revision uses.
    int next = Size;
    for (const Revision& any : FRevisions)
        for (const auto& [number, body] : any.Objects) next = std::max(next, number + 1);
    const auto streamObject = [&](int Number, const std::string& Dict, const std::string& Data, int Columns) {
        std::string data = Data;
        std::string dict = Dict;
        if (FOptions.CompressStructure) {
            data = Deflate(Columns > 0 ? PngUp(Data, static_cast<size_t>(Columns)) : Data);
            dict += " /Filter /FlateDecode";
            if (Columns > 0) dict += " /DecodeParms << /Predictor 12 /Columns " + std::to_string(Columns) + " >>";
        }
        FOffsets[Number] = Out.size();
        rows[Number] = XrefRow(1, Out.size(), 0);
        Out += std::to_string(Number) + " 0 obj\n" + StreamBody(dict, data) + "\nendobj\n";
    };

    std::string header, objects;
    int index = 0;
    const int objectStream = FOptions.ObjectStreams ? next++ : 0;
    for (const auto& [number, body] : revision.Objects) {
        if (FOptions.ObjectStreams && !IsStreamBody(body)) {
            header += std::to_string(number) + " " + std::to_string(objects.size()) + " ";
            objects += body + "\n";
            rows[number] = XrefRow(2, static_cast<size_t>(objectStream), index++);
            continue;
        }
        FOffsets[number] = Out.size();
        rows[number] = XrefRow(1, Out.size(), 0);
        Out += std::to_string(number) + " 0 obj\n" + body + "\nendobj\n";
    }
    if (index > 0)
        streamObject(objectStream, "/Type /ObjStm /N " + std::to_string(index) + " /First " +
                                       std::to_string(header.size()),
                     header + objects, 0);
    Out += revision.Filler;

    const int xrefNumber = next++;
    Size = std::max(Size, next);
    const size_t xref = Out.size();
    rows[xrefNumber] = XrefRow(1, xref, 0);
    std::string data, subsections;
    for (auto it = rows.begin(); it != rows.end();) {
        const int first = it->first;
        int count = 0;
        for (; it != rows.end() && it->first == first + count; ++it, ++count) data += it->second;
        subsections += std::to_string(first) + " " + std::to_string(count) + " ";
    }
    streamObject(xrefNumber, "/Type /XRef " + TrailerKeys(R, Size, XrefGuess) + " /W [1 4 2] /Index [" + subsections + "]",
                 data, 7);
    return xref;
}

std::string PdfBuilder::BuildOnce(const std::vector<size_t>& XrefGuess) const {
    FOffsets.clear();
    FXrefOffsets.clear();
    std::string out = FOptions.Header;
    int size = 1;
    for (size_t r = 0; r < FRevisions.size(); ++r) {
        const Revision& revision = FRevisions[r];
        if (FOptions.XrefStreams) {
            const size_t xref = WriteStreamRevision(r, out, size, XrefGuess);
            FXrefOffsets.push_back(xref);
            out += FOptions.StartXrefPrefix + std::to_string(xref) + "\n%%EOF" + FOptions.Tail;
            continue;
        }
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
            for (const auto& [number, generation] : revision.Freed) entries[number] = Entry(0, generation, 'f');
            for (const auto& [number, offset] : offsets) entries[number] = Entry(static_cast<long long>(offset));
            out += Subsections(entries, FOptions.SplitAll);
        }
        out += "trailer\n";
        out += revision.HasTrailer ? revision.Trailer : "<< " + TrailerKeys(r, size, XrefGuess) + " >>\n";
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
