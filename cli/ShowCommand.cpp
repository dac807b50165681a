#include "cli/ShowCommand.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>

#include "history/AnalystObjectSource.h"
#include "cli/CommandLine.h"
#include "cli/FileDriver.h"
#include "cli/JsonReport.h"
#include "cli/MessageText.h"
#include "common/Exceptions.h"
#include "common/HexDump.h"
#include "model/ObjectPath.h"
#include "pdf/DocInfo.h"
#include "pdf/PDFAnalyst.h"
#include "pdf/StreamData.h"
#include "syntax/ValueWriter.h"
#include "syntax/CharClass.h"

namespace lumerra::cli {

namespace {

using nlohmann::ordered_json;

std::string LowerHex(const std::string& Bytes) {
    constexpr std::string_view Digits = LowerHexDigits;
    std::string text;
    for (const char c : Bytes) {
        text += Digits[static_cast<uint8_t>(c) >> 4];
        text += Digits[static_cast<uint8_t>(c) & 15];
    }
    return text;
}

// A string as qpdf's JSON writes it: "u:" and its text when it is a text
// string (a byte-order mark, or mostly ASCII without control bytes, each
// byte a character), "b:" and its bytes in hex otherwise.
std::string JsonString(const std::string& Bytes) {
    if (IsPlainText(Bytes)) return "u:" + Bytes;
    const bool marked = Bytes.rfind("\xFE\xFF", 0) == 0 || Bytes.rfind("\xEF\xBB\xBF", 0) == 0;
    const std::string text = TextStringToUtf8(Bytes);
    if (marked) return "u:" + text;
    size_t high = 0;
    for (const char c : Bytes) {
        const auto byte = static_cast<uint8_t>(c);
        if (byte > 0x7E) ++high;
        else if (byte < 0x20 && !IsPlainText(std::string_view(&c, 1))) return "b:" + LowerHex(Bytes);
    }
    const bool textLike = 5 * high <= Bytes.size() && text.find("\xEF\xBF\xBD") == std::string::npos;
    return textLike ? "u:" + text : "b:" + LowerHex(Bytes);
}

// ASCII, or UTF-8 throughout: a name qpdf writes as it is.
bool Utf8Name(const std::string& Decoded) {
    for (size_t i = 0; i < Decoded.size();) {
        const auto lead = static_cast<uint8_t>(Decoded[i]);
        const size_t length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3
                              : (lead & 0xF8) == 0xF0 ? 4 : 0;
        if (length == 0 || (length > 1 && lead < 0xC2) || i + length > Decoded.size()) return false;
        for (size_t k = 1; k < length; ++k)
            if ((static_cast<uint8_t>(Decoded[i + k]) & 0xC0) != 0x80) return false;
        i += length;
    }
    return true;
}

std::string JsonName(const std::string& Decoded) {
    return Utf8Name(Decoded) ? "/" + Decoded : "n:" + WrittenName(Decoded);
}

ordered_json JsonValue(const TValue& Value) {
    switch (Value.Kind()) {
        case TValue::TKind::Null: return nullptr;
        case TValue::TKind::Boolean: return Value.AsBoolean();
        case TValue::TKind::Integer: return Value.AsInteger();
        case TValue::TKind::Real: return Value.AsReal();
        case TValue::TKind::String: return JsonString(Value.Text());
        case TValue::TKind::Name:
            return JsonName(Value.Text());
        case TValue::TKind::Reference:
            return std::to_string(Value.AsReference().Number) + ' ' + std::to_string(Value.AsReference().Generation) +
                   " R";
        case TValue::TKind::Array: {
            ordered_json items = ordered_json::array();
            for (const TValue& item : Value.Items()) items.push_back(JsonValue(item));
            return items;
        }
        case TValue::TKind::Dictionary:
        case TValue::TKind::Stream: {
            ordered_json entries = ordered_json::object();
            // A null entry is no entry.
            for (const auto& [key, item] : Value.Entries())
                if (!item.IsNull()) entries[JsonName(key)] = JsonValue(item);
            return entries;
        }
    }
    return nullptr;
}

std::string LocationText(const TObjectPlace& Place) {
    switch (Place.Location.Kind()) {
        case TObjectLocation::TKind::InFile: return "offset " + std::to_string(Place.Location.Offset());
        case TObjectLocation::TKind::InObjectStream:
            return "object stream " + std::to_string(Place.Location.Stream()) + ", index " +
                   std::to_string(Place.Location.Index());
        case TObjectLocation::TKind::None: break;
    }
    return Place.Free ? "free" : "missing";
}

// 0 (not known: a rebuilt table) is null.
ordered_json RevisionJson(int32_t Revision) { return Revision > 0 ? ordered_json(Revision) : ordered_json(nullptr); }

ordered_json LocationJson(const TObjectPlace& Place) {
    switch (Place.Location.Kind()) {
        case TObjectLocation::TKind::InFile: return {{"offset", Place.Location.Offset()}};
        case TObjectLocation::TKind::InObjectStream:
            return {{"object-stream", Place.Location.Stream()}, {"index", Place.Location.Index()}};
        case TObjectLocation::TKind::None: break;
    }
    return Place.Free ? "free" : "missing";
}

class TShower {
public:
    TShower(const TShowArgs& Args, TObjectSource& Source, std::ostream& Out, std::ostream& Err)
        : FArgs(Args), FSource(Source), FOut(Out), FErr(Err) {}

    // Shows one WHAT; false when the file does not hold it (told on Err).
    bool Show(const std::string& What) {
        const TShowTarget target = *ParseShowTarget(What);
        if (target.Kind == TShowTarget::TKind::Xref) return ShowXref();
        if (target.Kind == TShowTarget::TKind::Refs) return ShowRefs(target.Number);
        const TWalkResult found = WalkToTarget(FSource, target);
        if (found.Fault != TWalkFault::None) {
            FErr << ErrorLine(FArgs.Input, Exception(WalkFault(What, target, found)));
            return false;
        }
        ShowValue(found);
        return true;
    }

private:
    TMessage WalkFault(const std::string& What, const TShowTarget& Target, const TWalkResult& Found) const {
        if (Target.Kind == TShowTarget::TKind::Page) return MakeMessage(TMessageCode::PageNotHeld, Target.Number);
        if (Found.Fault == TWalkFault::NoObject && Target.Steps.empty())
            return MakeMessage(TMessageCode::ObjectNotHeld, Target.Number);
        // The path as typed up to the step that failed.
        std::string before = What.substr(0, What.find('/'));
        for (size_t step = 0; step < Found.FailedStep; ++step) before += "/" + Target.Steps[step];
        const std::string& step = Target.Steps[Found.FailedStep];
        switch (Found.Fault) {
            case TWalkFault::NoKey: return MakeMessage(TMessageCode::PathKeyMissing, before, WrittenName(step));
            case TWalkFault::NoIndex: return MakeMessage(TMessageCode::PathIndexMissing, before, step);
            case TWalkFault::NotContainer: return MakeMessage(TMessageCode::PathNotContainer, before);
            default: return MakeMessage(TMessageCode::ObjectNotHeld, before + "/" + step);
        }
    }

    void ShowValue(const TWalkResult& Found) {
        const TObjectPlace place = Found.Object >= 0 ? FSource.Place(Found.Object) : TObjectPlace{};
        const bool stream = Found.Value->Is(TValue::TKind::Stream) && Found.Inside.empty();
        std::string data;
        if (stream && (!FArgs.Json || FArgs.DataAsked)) data = StreamData(Found.Object);
        if (FArgs.Json) {
            ordered_json object;
            object["object"] = Found.Object >= 0 ? ordered_json(Found.Object) : ordered_json("trailer");
            if (Found.Object >= 0) object["generation"] = place.Generation;
            if (!Found.Inside.empty()) object["path"] = Found.Inside;
            object["revision"] = RevisionJson(Revision(Found.Object, place));
            if (Found.Object >= 0) object["location"] = LocationJson(place);
            if (stream) {
                ordered_json body{{"dict", JsonValue(*Found.Value)}};
                if (FArgs.DataAsked && FArgs.Data != TShowArgs::TData::Hex) body["data"] = Base64(data);
                object["stream"] = body;
            } else {
                object["value"] = JsonValue(*Found.Value);
            }
            FOut << object.dump() << '\n';
            return;
        }
        std::string header = Found.Object >= 0 ? "object " + std::to_string(Found.Object) + ' ' +
                                                     std::to_string(place.Generation)
                                               : std::string("trailer");
        if (!Found.Inside.empty()) header += ' ' + Found.Inside;
        const int32_t revision = Revision(Found.Object, place);
        if (revision > 0) header += ", revision " + std::to_string(revision);
        if (Found.Object >= 0) header += ", " + LocationText(place);
        FOut << header << '\n' << WrittenValue(*Found.Value) << '\n';
        if (!stream) return;
        if (FArgs.Data == TShowArgs::TData::Hex) {
            FOut << "stream (" << data.size() << " bytes)\n" << HexDump(data) << "endstream\n";
        } else {
            FOut << "stream\n" << data;
            if (!data.empty() && data.back() != '\n') FOut << '\n';
            FOut << "endstream\n";
        }
    }

    // The trailer's revision is the newest.
    int32_t Revision(int32_t Object, const TObjectPlace& Place) {
        return Object >= 0 ? Place.Revision : FSource.NewestRevision();
    }

    std::string StreamData(int32_t Number) {
        TStreamDamage damage;
        const std::string data = FSource.StreamData(Number, FArgs.Data != TShowArgs::TData::Raw, &damage);
        if (damage.Damaged)
            FErr << "lumerra: " << FArgs.Input << ": object " << Number << ": " << CodeName(damage.What.Code) << ": "
                 << Sentence(damage.What) << '\n';
        return data;
    }

    bool ShowXref() {
        ordered_json lines = ordered_json::array();
        for (int32_t number = 0; number < FSource.ObjectCount(); ++number) {
            const TObjectPlace place = FSource.Place(number);
            if (FArgs.Json) {
                lines.push_back({{"object", number},
                                 {"generation", place.Generation},
                                 {"revision", RevisionJson(place.Revision)},
                                 {"location", LocationJson(place)}});
                continue;
            }
            FOut << number << ": " << LocationText(place);
            if (place.Revision > 0) FOut << ", revision " << place.Revision;
            FOut << '\n';
        }
        if (FArgs.Json) FOut << ordered_json{{"xref", lines}}.dump() << '\n';
        return true;
    }

    bool ShowRefs(int32_t Number) {
        const std::vector<TReferrer> referrers = FindReferrers(FSource, Number);
        if (FArgs.Json) {
            ordered_json list = ordered_json::array();
            for (const TReferrer& referrer : referrers)
                list.push_back({{"object", referrer.Object >= 0 ? ordered_json(referrer.Object) : ordered_json("trailer")},
                                {"path", referrer.Inside}});
            FOut << ordered_json{{"refs", Number}, {"referrers", list}}.dump() << '\n';
            return true;
        }
        for (const TReferrer& referrer : referrers)
            FOut << (referrer.Object >= 0 ? std::to_string(referrer.Object) : "trailer") << ": " << referrer.Inside
                 << '\n';
        return true;
    }

    const TShowArgs& FArgs;
    TObjectSource& FSource;
    std::ostream& FOut;
    std::ostream& FErr;
};

}  // namespace

void CheckShowTargets(const std::vector<std::string>& Whats) {
    for (const std::string& what : Whats)
        if (!ParseShowTarget(what)) throw EUsageError("invalid object or path: " + what);
}

int RunShow(const TShowArgs& Args, std::ostream& Out, std::ostream& Err, const TFileWatch& Watch) {
    // An object the file does not hold fails the command, not the file.
    bool missing = false;
    TFileDriver driver({true, Args.Password, Args.Revision, nullptr, false, Watch}, Err);
    const int exitCode = driver.Run({Args.Input}, [&](TFileRun& Run) {
        TAnalystObjectSource source(Run.Load());
        TShower shower(Args, source, Out, Err);
        for (const std::string& what : Args.Whats.empty() ? std::vector<std::string>{"trailer"} : Args.Whats)
            if (!shower.Show(what)) missing = true;
        Run.TellLateRepairs();
        return TFileOutcome::Done;
    });
    const int written = CheckStandardOutput(Out, Err);
    if (written != ExitOk) return written;
    return missing ? WorseExitCode(exitCode, ExitFailed) : exitCode;
}

}  // namespace lumerra::cli
