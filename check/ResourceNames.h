// The names a resource dictionary declares, by category, with what the
// content check needs to know of each (a colour space's component count,
// whether an XObject is a form) and whether the content used it.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace lumerra::check {

enum class TResourceCategory : uint8_t { Font, XObject, ExtGState, ColorSpace, Pattern, Shading, Properties };
inline constexpr size_t ResourceCategoryCount = 7;

// The key of the category in a resource dictionary ("Font").
std::string_view CategoryKey(TResourceCategory Category);

// What is known of a colour space: its number of components (-1 unknown),
// and for a pattern space that of its underlying space (0 for none).
struct TColourSpace {
    int32_t Components = -1;
    bool Pattern = false;
    int32_t PatternComponents = 0;

    static TColourSpace Unknown() { return {}; }
    static TColourSpace Device(int32_t N) { return {N, false, 0}; }
    static TColourSpace PatternOf(int32_t Underlying) { return {-1, true, Underlying}; }
};

// A device or pattern space written by its bare name (/DeviceRGB, or /RGB in
// an inline image when Abbreviations is set); none for any other name.
bool BuiltInColourSpace(std::string_view Name, bool Abbreviations, TColourSpace& Out);

// A pattern's /PaintType: a coloured pattern takes no colour components,
// an uncoloured one those of its underlying space.
enum class TPaintType : uint8_t { Unknown, Coloured, Uncoloured };

// What is wrong with a declared resource: its object cannot be read, or it
// is not of the category's type (a /Font entry that is an integer).
enum class TResourceFault : uint8_t { None, Unreadable, WrongType };

struct TDeclaredResource {
    int32_t Object = -1;     // the object it refers to, -1 for a direct value
    bool Form = false;       // an XObject whose /Subtype is /Form
    TColourSpace Space = {};  // for a colour space
    TPaintType PaintType = TPaintType::Unknown;  // for a pattern
    TResourceFault Fault = TResourceFault::None;
    std::string_view FoundKind = {};  // with WrongType: the kind of value found ("integer")
    bool Used = false;
};

class TResourceNames {
public:
    // Name is the decoded name, without the slash.
    void Declare(TResourceCategory Category, std::string Name, TDeclaredResource Resource);
    // The resource Name of Category, marked as used; null when undeclared.
    TDeclaredResource* Use(TResourceCategory Category, std::string_view Name);
    // Each declared resource never used, in name order per category.
    void ForEachUnused(const std::function<void(TResourceCategory, const std::string&)>& Visit) const;

private:
    std::array<std::map<std::string, TDeclaredResource, std::less<>>, ResourceCategoryCount> FNames;
};

}  // namespace lumerra::check
