// Build-time generator: reads the model's TSV files (one per object type)
// and writes a C++ source holding them as compiled tables, so that the
// program opens no file at run time. The Note column is left out.
//
//   ArlingtonTables OUTPUT.cpp TSV-FILE...
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr size_t KeptColumns = 11;  // Key .. Link

struct TypeFile {
    std::string Name;
    std::vector<std::vector<std::string>> Rows;
};

std::vector<std::string> SplitTabs(const std::string& Line) {
    std::vector<std::string> cells;
    size_t start = 0;
    for (;;) {
        const size_t tab = Line.find('\t', start);
        cells.push_back(Line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) break;
        start = tab + 1;
    }
    return cells;
}

// A C string literal of Text: the cells hold printable ASCII, quotes and
// backslashes escaped.
std::string Literal(const std::string& Text) {
    std::string out = "\"";
    for (const char c : Text) {
        if (c == '"' || c == '\\') out += '\\';
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7e) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\%03o", static_cast<unsigned char>(c));
            out += buf;
            continue;
        }
        out += c;
    }
    return out + "\"";
}

bool ReadType(const std::filesystem::path& Path, TypeFile& Out) {
    std::ifstream in(Path, std::ios::binary);
    if (!in) return false;
    Out.Name = Path.stem().string();
    std::string line;
    bool header = true;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (header) {
            header = false;
            continue;
        }
        if (line.empty()) continue;
        std::vector<std::string> cells = SplitTabs(line);
        cells.resize(KeptColumns);
        Out.Rows.push_back(std::move(cells));
    }
    return true;
}

}  // namespace

int main(int Argc, char** Argv) {
    if (Argc < 3) {
        std::cerr << "usage: ArlingtonTables OUTPUT.cpp TSV-FILE...\n";
        return 2;
    }
    std::vector<TypeFile> types;
    for (int i = 2; i < Argc; ++i) {
        TypeFile type;
        if (!ReadType(Argv[i], type)) {
            std::cerr << "cannot read " << Argv[i] << '\n';
            return 1;
        }
        types.push_back(std::move(type));
    }
    std::sort(types.begin(), types.end(), [](const TypeFile& A, const TypeFile& B) { return A.Name < B.Name; });

    std::ostringstream blob, starts, table;
    size_t offset = 0, row = 0;
    for (const TypeFile& type : types) {
        table << "    {" << Literal(type.Name) << ", " << row << ", " << type.Rows.size() << "},\n";
        for (const auto& cells : type.Rows) {
            blob << "   ";
            for (const std::string& cell : cells) {
                starts << offset << ',';
                blob << ' ' << Literal(cell);
                offset += cell.size();
            }
            blob << '\n';
            starts << '\n';
            ++row;
        }
    }
    starts << offset << '\n';

    std::ofstream out(Argv[1], std::ios::binary | std::ios::trunc);
    out << "// Made at build time by tools/ArlingtonTables.cpp from third_party/arlington/tsv.\n"
        << "#include \"objects/ModelTables.h\"\n\nnamespace lumerra::objects {\n\nnamespace {\n\n"
        << "constexpr char Cells[] =\n" << blob.str() << "    \"\";\n\n"
        << "constexpr uint32_t CellStart[] = {\n" << starts.str() << "};\n\n"
        << "constexpr TRawType Types[] = {\n" << table.str() << "};\n\n"
        << "}  // namespace\n\n"
        << "std::span<const TRawType> RawTypes() { return Types; }\n\n"
        << "std::string_view RawCell(uint32_t Row, TColumn Column) {\n"
        << "    const size_t cell = static_cast<size_t>(Row) * ColumnCount + static_cast<size_t>(Column);\n"
        << "    return std::string_view(Cells + CellStart[cell], CellStart[cell + 1] - CellStart[cell]);\n"
        << "}\n\n}  // namespace lumerra::objects\n";
    return out ? 0 : 1;
}
