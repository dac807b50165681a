#include "check/ResourceReader.h"

#include "pdf/PDFAnalyst.h"

namespace lumerra::check {

namespace {

// Colour spaces refer to others (a pattern's underlying space, an indexed
// space's base) only a level or two deep; a chain longer than this is damage.
constexpr int MaximumSpaceDepth = 4;

// A null value, or a reference to an object the file does not have: the
// entry is as good as absent.
bool IsAbsent(TObjectReader& Reader, const TValue& Value) {
    if (Value.IsNull()) return true;
    if (!Value.Is(TValue::TKind::Reference)) return false;
    const int32_t number = Value.AsReference().Number;
    return Reader.Object(number)->IsNull() &&
           Reader.Analyst().Locate(number).Kind() == TObjectLocation::TKind::None;
}

std::string_view KindName(const TValue& Value) {
    switch (Value.Kind()) {
        case TValue::TKind::Null: return "null";
        case TValue::TKind::Boolean: return "boolean";
        case TValue::TKind::Integer: return "integer";
        case TValue::TKind::Real: return "real";
        case TValue::TKind::String: return "string";
        case TValue::TKind::Name: return "name";
        case TValue::TKind::Array: return "array";
        case TValue::TKind::Dictionary: return "dictionary";
        case TValue::TKind::Stream: return "stream";
        case TValue::TKind::Reference: return "reference";
    }
    return "null";
}

// Whether Value has a type a resource of Category may have.
bool TypeFits(TResourceCategory Category, const TValue& Value) {
    switch (Category) {
        case TResourceCategory::XObject: return Value.Is(TValue::TKind::Stream);
        case TResourceCategory::ColorSpace: return Value.Is(TValue::TKind::Name) || Value.Is(TValue::TKind::Array);
        case TResourceCategory::Pattern:
        case TResourceCategory::Shading: return Value.IsDictionary();
        default: return Value.IsDictionary();
    }
}

TPaintType PaintTypeOf(TObjectReader& Reader, const TValuePtr& Pattern) {
    const TValuePtr type = Reader.Get(Pattern, "PatternType");
    if (type->Is(TValue::TKind::Integer) && type->AsInteger() == 2) return TPaintType::Coloured;  // shading
    const TValuePtr paint = Reader.Get(Pattern, "PaintType");
    if (!paint->Is(TValue::TKind::Integer)) return TPaintType::Unknown;
    return paint->AsInteger() == 1 ? TPaintType::Coloured
           : paint->AsInteger() == 2 ? TPaintType::Uncoloured
                                     : TPaintType::Unknown;
}

}  // namespace

TColourSpace ReadColourSpace(TObjectReader& Reader, const TValuePtr& Space, int Depth) {
    const TValuePtr space = Reader.Resolve(Space);
    TColourSpace known;
    if (space->Is(TValue::TKind::Name)) {
        BuiltInColourSpace(space->Text(), false, known);
        return known;
    }
    if (!space->Is(TValue::TKind::Array) || space->Items().empty() || Depth > MaximumSpaceDepth) return known;
    const TValuePtr family = Reader.Item(space, 0);
    if (!family->Is(TValue::TKind::Name)) return known;
    const std::string& name = family->Text();
    if (name == "CalGray" || name == "Indexed" || name == "Separation") return TColourSpace::Device(1);
    if (name == "CalRGB" || name == "Lab") return TColourSpace::Device(3);
    if (name == "DeviceGray" || name == "DeviceRGB" || name == "DeviceCMYK") {
        BuiltInColourSpace(name, false, known);
        return known;
    }
    if (name == "ICCBased") {
        const TValuePtr n = Reader.Get(Reader.Item(space, 1), "N");
        if (n->Is(TValue::TKind::Integer) && n->AsInteger() >= 1 && n->AsInteger() <= 32)
            return TColourSpace::Device(static_cast<int32_t>(n->AsInteger()));
        return known;
    }
    if (name == "DeviceN") {
        const TValuePtr names = Reader.Item(space, 1);
        if (names->Is(TValue::TKind::Array) && !names->Items().empty())
            return TColourSpace::Device(static_cast<int32_t>(names->Items().size()));
        return known;
    }
    if (name == "Pattern") {
        if (space->Items().size() < 2) return TColourSpace::PatternOf(0);
        const TColourSpace under = ReadColourSpace(Reader, Reader.Item(space, 1), Depth + 1);
        return TColourSpace::PatternOf(under.Components);
    }
    return known;
}

TResourceNames ReadResourceNames(TObjectReader& Reader, const TValuePtr& Resources) {
    TResourceNames names;
    const TValuePtr resources = Reader.Resolve(Resources);
    if (!resources->IsDictionary()) return names;
    for (size_t c = 0; c < ResourceCategoryCount; ++c) {
        const auto category = static_cast<TResourceCategory>(c);
        const TValuePtr entries = Reader.Get(resources, CategoryKey(category));
        if (!entries->IsDictionary()) continue;
        for (const auto& [key, value] : entries->Entries()) {
            if (IsAbsent(Reader, value)) continue;
            TDeclaredResource resource;
            if (value.Is(TValue::TKind::Reference)) resource.Object = value.AsReference().Number;
            const TValuePtr target = Reader.Get(entries, key);
            if (target->IsNull()) {
                resource.Fault = TResourceFault::Unreadable;
            } else if (!TypeFits(category, *target)) {
                resource.Fault = TResourceFault::WrongType;
                resource.FoundKind = KindName(*target);
            } else if (category == TResourceCategory::Pattern) {
                resource.PaintType = PaintTypeOf(Reader, target);
            } else if (category == TResourceCategory::XObject)
                resource.Form = target->Is(TValue::TKind::Stream) && Reader.Get(target, "Subtype")->IsName("Form");
            else if (category == TResourceCategory::ColorSpace)
                resource.Space = ReadColourSpace(Reader, target);
            names.Declare(category, key, resource);
        }
    }
    return names;
}

}  // namespace lumerra::check
