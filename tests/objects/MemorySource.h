// Objects written as text, served through the object seam: the fixtures of
// the object check, with no file around them. A body that starts with
// "stream " is a stream's dictionary.
#pragma once

#include <map>
#include <memory>
#include <span>
#include <string>

#include "model/ObjectSource.h"
#include "syntax/Parser.h"

namespace lumerra::test {

class TMemorySource final : public TObjectSource {
public:
    TMemorySource(std::map<int32_t, std::string> Bodies, const std::string& Trailer) {
        for (const auto& [number, body] : Bodies) FObjects[number] = Parse(body);
        FTrailer = Parse(Trailer);
    }

    int32_t ObjectCount() override { return FObjects.empty() ? 0 : FObjects.rbegin()->first + 1; }
    TValuePtr Trailer() override { return FTrailer; }
    int32_t NewestRevision() override { return 1; }
    TValuePtr Object(int32_t Number) override {
        const auto it = FObjects.find(Number);
        return it != FObjects.end() ? it->second : std::make_shared<const TValue>();
    }
    TObjectPlace Place(int32_t) override { return {}; }
    std::optional<int32_t> PageObject(int32_t) override { return std::nullopt; }
    std::string StreamData(int32_t, bool, TStreamDamage*) override { return {}; }

private:
    static TValuePtr Parse(std::string Body) {
        const bool stream = Body.rfind("stream ", 0) == 0;
        if (stream) Body.erase(0, 7);
        const auto* bytes = reinterpret_cast<const uint8_t*>(Body.data());
        std::optional<TValue> value = ParseValue(std::span<const uint8_t>(bytes, Body.size()));
        if (!value) return std::make_shared<const TValue>();
        if (stream) value->MakeStream(0);
        return std::make_shared<const TValue>(std::move(*value));
    }

    std::map<int32_t, TValuePtr> FObjects;
    TValuePtr FTrailer;
};

}  // namespace lumerra::test
