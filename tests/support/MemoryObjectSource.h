// An object source held in memory for tests: objects written in PDF syntax,
// each read counted, stream data given as it is (decoded or not). Only for
// test programs that link the model layer.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <span>
#include <string>

#include "model/ObjectSource.h"
#include "syntax/Parser.h"

namespace lumerra::test {

class TMemoryObjectSource : public TObjectSource {
public:
    // Trailer and each object in PDF syntax; a stream object is written as
    // its dictionary and given its data in StreamBytes.
    TMemoryObjectSource(std::string Trailer, std::map<int32_t, std::string> Objects,
                        std::map<int32_t, std::string> StreamBytes = {})
        : FTrailer(std::move(Trailer)), FObjects(std::move(Objects)), FStreams(std::move(StreamBytes)) {}

    int32_t ObjectCount() override { return FObjects.empty() ? 1 : FObjects.rbegin()->first + 1; }
    TValuePtr Trailer() override { return Parsed(FTrailer, false); }
    int32_t NewestRevision() override { return 1; }
    TValuePtr Object(int32_t Number) override {
        ++Reads[Number];
        const auto found = FObjects.find(Number);
        return Parsed(found == FObjects.end() ? "null" : found->second, FStreams.count(Number) > 0);
    }
    TObjectPlace Place(int32_t Number) override {
        TObjectPlace place;
        place.Free = FObjects.count(Number) == 0;
        place.Revision = 1;
        if (!place.Free) place.Location = TObjectLocation::InFile(100 * Number);
        return place;
    }
    std::optional<int32_t> PageObject(int32_t) override { return std::nullopt; }
    std::string StreamData(int32_t Number, bool, TStreamDamage*) override {
        const auto found = FStreams.find(Number);
        return found == FStreams.end() ? std::string() : found->second;
    }
    // Object reads by number.
    std::map<int32_t, int> Reads;

private:
    static TValuePtr Parsed(const std::string& Text, bool Stream) {
        const auto value = ParseValue(std::span(reinterpret_cast<const uint8_t*>(Text.data()), Text.size()));
        EXPECT_TRUE(value.has_value()) << Text;
        TValue result = value.value_or(TValue());
        if (Stream) result.MakeStream(0);
        return std::make_shared<const TValue>(std::move(result));
    }

    std::string FTrailer;
    std::map<int32_t, std::string> FObjects;
    std::map<int32_t, std::string> FStreams;
};

}  // namespace lumerra::test
