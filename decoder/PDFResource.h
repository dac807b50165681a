// The resource records of the report: the named resources of a page or of a
// Form XObject in seven categories, and one child record per form.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/Stream.h"

namespace lumerra {

// One entry of a resource dictionary: its name (with "/") and the number of
// the object it refers to.
class TPDFResource {
public:
    TPDFResource(std::string Name, int32_t ObjectNumber) : Name(std::move(Name)), ObjectNumber(ObjectNumber) {}
    std::string Name;
    int32_t ObjectNumber;
};

// A copy shares its entries with the list it was copied from until either
// is added to, so that forms naming one resource dictionary can hold one
// set of entries.
class TPDFResourceList {
public:
    void Add(const std::string& Name, int32_t ObjectNumber);
    int32_t Count() const { return FItems ? static_cast<int32_t>(FItems->size()) : 0; }
    // Both raise "Index値が不正です。[ %d ]" outside 0 .. Count - 1.
    const std::string& GetName(int32_t Index) const;
    int32_t GetObjectNumber(int32_t Index) const;
    // The same for lists that share their entries (null when empty).
    const void* Entries() const { return FItems.get(); }
    // " /A  /B " for the entries A and B: the inside of a report line.
    void WriteNames(std::string& Line) const;

private:
    const TPDFResource& At(int32_t Index) const;
    std::shared_ptr<std::vector<TPDFResource>> FItems;
};

class TPageChildResourceList;

// The resources of one page or one Form XObject.
class TPageResource {
public:
    TPageResource();
    ~TPageResource();
    TPageResource(const TPageResource&) = delete;
    TPageResource& operator=(const TPageResource&) = delete;

    TPDFResourceList Fonts;
    TPDFResourceList XObjects;
    TPDFResourceList ColorSpaces;
    TPDFResourceList ExtGStates;
    TPDFResourceList Patterns;
    TPDFResourceList Properties;
    TPDFResourceList Shadings;

    TPageChildResourceList& AddChild(const std::string& Name, int32_t ObjectNumber);
    int32_t ChildCount() const { return static_cast<int32_t>(FChildren.size()); }
    // Raises "リストのインデックスが範囲を超えています (%d)" outside the range.
    TPageChildResourceList& GetChild(int32_t Index) const;
    // The seven "%  Used" lines of the report.
    void WriteUsedResources(TStream& S) const;

    // Set when the collection of form children stopped at its limit.
    bool FormLimitReached = false;

private:
    std::vector<std::unique_ptr<TPageChildResourceList>> FChildren;
};

// One Form XObject met while a page was collected.
class TPageChildResourceList {
public:
    TPageChildResourceList(std::string Name, int32_t ObjectNumber)
        : Name(std::move(Name)), ObjectNumber(ObjectNumber) {}
    const std::string Name;
    const int32_t ObjectNumber;
    TPageResource Resources;
};

// One record per page handled, in the order handled.
class TPageResourceList {
public:
    TPageResource& Add();
    int32_t Count() const { return static_cast<int32_t>(Items.size()); }
    std::vector<std::unique_ptr<TPageResource>> Items;
};

}  // namespace lumerra
