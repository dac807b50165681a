// The default reading's Info dictionary: read token by token, keys at the
// dictionary's own level only, strings read where they stand.
#include <optional>

#include "pdf/DefaultAnalyst.h"
#include "pdf/DocInfo.h"
#include "pdf/InfoKeys.h"
#include "pdf/ObjectScanner.h"

namespace lumerra {

namespace {

// Strings are read here, not passed over by the rules: the rules do not
// balance parentheses.
constexpr TScanOptions InfoScan{.Header = THeaderRule::Skip, .SkipComments = true, .EndsAt = {.Endobj = true}};

// The string value that follows a key: a literal or hexadecimal string, or a
// reference to an object that is one (followed once).
std::optional<std::string> ReadStringValue(TPDFAnalyst& Analyst, TObjectScanner& Scan, bool FollowReference) {
    const TToken& token = Scan.Next();
    std::string bytes;
    if (token.Kind == TTokenKind::StringStart) {
        ReadLiteralString(Scan.Stream(), bytes);
        return bytes;
    }
    if (token.Kind == TTokenKind::Delimiter && token.Is("<") && !Scan.TakeSecond('<')) {
        ReadHexString(Scan.Stream(), bytes);
        return bytes;
    }
    if (token.Kind != TTokenKind::Number || !FollowReference) return std::nullopt;
    const int32_t object = StrToIntDef(token.Text, -1);
    Scan.Next();  // the generation
    if (!Scan.Next().Is("R") || !Analyst.HasObject(object)) return std::nullopt;
    TStream& S = *Analyst.Stream();
    TPositionKeeper keeper(S);
    TObjectScanner target = TObjectScanner::OpenObject(Analyst, object, InfoScan);
    return ReadStringValue(Analyst, target, false);
}


}  // namespace

TInfoEntries TDefaultAnalyst::ReadInfoEntries() {
    // Encrypted strings would be read as noise.
    if (Encrypted()) return {};
    std::array<std::optional<std::string>, InfoKeys.size()> values;
    try {
        TStream& S = *Stream();
        TPositionKeeper keeper(S);
        TObjectScanner scan = TObjectScanner::OpenObject(*this, InfoID(), InfoScan);
        int depth = 0;  // of "<<": keys count at depth 1 only
        std::string bytes;
        scan.Run([&](const TToken& token) {
            if (token.Kind == TTokenKind::StringStart) {
                const bool ended = ReadLiteralString(scan.Stream(), bytes);
                bytes.clear();
                return ended ? TScanAction::Handled : TScanAction::Stop;
            }
            if (token.Kind == TTokenKind::Delimiter && token.Is("<")) {
                if (scan.TakeSecond('<')) {
                    ++depth;
                    return TScanAction::Handled;
                }
                const bool ended = ReadHexString(scan.Stream(), bytes);
                bytes.clear();
                return ended ? TScanAction::Handled : TScanAction::Stop;
            }
            if (token.Kind == TTokenKind::Delimiter && token.Is(">") && scan.TakeSecond('>'))
                return --depth <= 0 ? TScanAction::Stop : TScanAction::Handled;
            if (token.Kind != TTokenKind::Name || depth != 1) return TScanAction::Default;
            for (size_t k = 0; k < InfoKeys.size(); ++k) {
                if (token.Text != InfoKeys[k].first || values[k]) continue;
                if (std::optional<std::string> value = ReadStringValue(*this, scan, true))
                    values[k] = TextStringToUtf8(*value);
                break;
            }
            return TScanAction::Handled;
        });
    } catch (const Exception&) {
        // Damage ends the reading; what was read stands.
    }
    TInfoEntries entries;
    for (size_t k = 0; k < InfoKeys.size(); ++k)
        if (values[k]) entries.emplace_back(InfoKeys[k].second, *values[k]);
    return entries;
}

}  // namespace lumerra
