#include "decoder/PDFResource.h"

#include "common/Exceptions.h"

namespace lumerra {

void TPDFResourceList::Add(const std::string& Name, int32_t ObjectNumber) {
    if (!FItems)
        FItems = std::make_shared<std::vector<TPDFResource>>();
    else if (FItems.use_count() > 1)
        FItems = std::make_shared<std::vector<TPDFResource>>(*FItems);
    FItems->emplace_back(Name, ObjectNumber);
}

const TPDFResource& TPDFResourceList::At(int32_t Index) const {
    if (Index < 0 || Index >= Count()) throw Exception(MakeMessage(TMessageCode::IndexInvalid, Index));
    return (*FItems)[static_cast<size_t>(Index)];
}

void TPDFResourceList::WriteNames(std::string& Line) const {
    if (!FItems) return;
    // Sized once and filled in place: a form's lines may name thousands.
    size_t length = 0;
    for (const TPDFResource& item : *FItems) length += item.Name.size() + 2;
    size_t at = Line.size();
    Line.resize(at + length);
    for (const TPDFResource& item : *FItems) {
        Line[at++] = ' ';
        at += item.Name.copy(Line.data() + at, item.Name.size());
        Line[at++] = ' ';
    }
}

const std::string& TPDFResourceList::GetName(int32_t Index) const { return At(Index).Name; }

int32_t TPDFResourceList::GetObjectNumber(int32_t Index) const { return At(Index).ObjectNumber; }

TPageResource::TPageResource() = default;

TPageResource::~TPageResource() {
    // Children first, then the seven lists (member order does the rest).
    FChildren.clear();
}

TPageChildResourceList& TPageResource::AddChild(const std::string& Name, int32_t ObjectNumber) {
    return *FChildren.emplace_back(std::make_unique<TPageChildResourceList>(Name, ObjectNumber));
}

TPageChildResourceList& TPageResource::GetChild(int32_t Index) const {
    if (Index < 0 || Index >= ChildCount())
        throw EListError(MakeMessage(TMessageCode::ListIndexInvalid, Index));
    return *FChildren[static_cast<size_t>(Index)];
}

void TPageResource::WriteUsedResources(TStream& S) const {
    const std::pair<const char*, const TPDFResourceList*> categories[] = {
        {"%  Used Font       : [", &Fonts},      {"%  Used XObject    : [", &XObjects},
        {"%  Used ColorSpace : [", &ColorSpaces}, {"%  Used ExtGState  : [", &ExtGStates},
        {"%  Used Pattern    : [", &Patterns},    {"%  Used Properties : [", &Properties},
        {"%  Used Shading    : [", &Shadings},
    };
    for (const auto& [label, list] : categories) {
        std::string line = label;
        list->WriteNames(line);
        line += "]\n";
        S.WriteBuffer(line.data(), static_cast<int32_t>(line.size()));
    }
}

TPageResource& TPageResourceList::Add() { return *Items.emplace_back(std::make_unique<TPageResource>()); }

}  // namespace lumerra
