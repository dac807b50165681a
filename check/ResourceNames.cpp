#include "check/ResourceNames.h"

namespace lumerra::check {

std::string_view CategoryKey(TResourceCategory Category) {
    static constexpr std::string_view Keys[] = {"Font",       "XObject", "ExtGState", "ColorSpace",
                                                "Pattern",    "Shading", "Properties"};
    return Keys[static_cast<size_t>(Category)];
}

bool BuiltInColourSpace(std::string_view Name, bool Abbreviations, TColourSpace& Out) {
    if (Name == "DeviceGray" || (Abbreviations && Name == "G")) Out = TColourSpace::Device(1);
    else if (Name == "DeviceRGB" || (Abbreviations && Name == "RGB")) Out = TColourSpace::Device(3);
    else if (Name == "DeviceCMYK" || (Abbreviations && Name == "CMYK")) Out = TColourSpace::Device(4);
    else if (Name == "Pattern" && !Abbreviations) Out = TColourSpace::PatternOf(0);
    else return false;
    return true;
}

void TResourceNames::Declare(TResourceCategory Category, std::string Name, TDeclaredResource Resource) {
    FNames[static_cast<size_t>(Category)].insert_or_assign(std::move(Name), Resource);
}

TDeclaredResource* TResourceNames::Use(TResourceCategory Category, std::string_view Name) {
    auto& names = FNames[static_cast<size_t>(Category)];
    const auto found = names.find(Name);
    if (found == names.end()) return nullptr;
    found->second.Used = true;
    return &found->second;
}

void TResourceNames::ForEachUnused(const std::function<void(TResourceCategory, const std::string&)>& Visit) const {
    for (size_t c = 0; c < ResourceCategoryCount; ++c)
        for (const auto& [name, resource] : FNames[c])
            if (!resource.Used) Visit(static_cast<TResourceCategory>(c), name);
}

}  // namespace lumerra::check
