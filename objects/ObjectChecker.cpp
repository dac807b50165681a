#include "objects/ObjectChecker.h"

#include <algorithm>

#include "objects/LinkChoice.h"
#include "objects/Trees.h"
#include "syntax/CharClass.h"

namespace lumerra::objects {

namespace {

constexpr int64_t TreeSlot = 1023;  // the visited-set slot of a tree, beside the types

std::string_view KindName(const TValue& Value) {
    switch (Value.Kind()) {
    case TValue::TKind::Null: return "null";
    case TValue::TKind::Boolean: return "boolean";
    case TValue::TKind::Integer: return "integer";
    case TValue::TKind::Real: return "number";
    case TValue::TKind::String: return "string";
    case TValue::TKind::Name: return "name";
    case TValue::TKind::Array: return "array";
    case TValue::TKind::Dictionary: return "dictionary";
    case TValue::TKind::Stream: return "stream";
    case TValue::TKind::Reference: return "reference";
    }
    return "?";
}

// Bytes as a path segment or a message shows them: printable ASCII as it
// is, other bytes (and "/", "#") as "#xx"; at most 48 bytes.
std::string Printable(std::string_view Bytes) {
    std::string out;
    for (const char c : Bytes.substr(0, 48)) {
        const auto u = static_cast<unsigned char>(c);
        if (u > 0x20 && u < 0x7f && c != '/' && c != '#') {
            out += c;
        } else {
            constexpr std::string_view hex = UpperHexDigits;
            out += '#';
            out += hex[u >> 4];
            out += hex[u & 15];
        }
    }
    return out;
}

// A value as a message shows it.
std::string ValueText(const TValue& Value) {
    switch (Value.Kind()) {
    case TValue::TKind::Name: return "/" + Printable(Value.Text());
    case TValue::TKind::String: return "(" + Printable(Value.Text()) + ")";
    case TValue::TKind::Integer: return std::to_string(Value.AsInteger());
    case TValue::TKind::Real: return std::to_string(Value.AsReal());
    case TValue::TKind::Boolean: return Value.AsBoolean() ? "true" : "false";
    default: return std::string(KindName(Value));
    }
}

bool Mentions(const TExpr& Expr, std::string_view Function) {
    if (Expr.Kind == TExpr::TKind::Call && Expr.Text == Function) return true;
    return std::any_of(Expr.Args.begin(), Expr.Args.end(), [&](const TExpr& A) { return Mentions(A, Function); });
}

// The cell as the model writes it, for a message.
std::string ExprText(const TExpr& Expr) {
    switch (Expr.Kind) {
    case TExpr::TKind::Text: return "'" + Expr.Text + "'";
    case TExpr::TKind::Boolean: return Expr.Truth ? "true" : "false";
    case TExpr::TKind::Null: return "null";
    case TExpr::TKind::ArrayLiteral: return "[" + Expr.Text + "]";
    case TExpr::TKind::Path: {
        std::string text;
        for (size_t i = 0; i < Expr.Segments.size(); ++i) {
            if (i > 0) text += "::";
            if (i + 1 == Expr.Segments.size() && Expr.ValueOf) text += '@';
            text += Expr.Segments[i];
        }
        return text;
    }
    case TExpr::TKind::Call: {
        std::string text = "fn:" + Expr.Text + "(";
        for (size_t i = 0; i < Expr.Args.size(); ++i) text += (i > 0 ? "," : "") + ExprText(Expr.Args[i]);
        return text + ")";
    }
    case TExpr::TKind::Binary: {
        const std::string op = Expr.Text == "&&" || Expr.Text == "||" || Expr.Text == "mod" || Expr.Text == "-"
                                   ? " " + Expr.Text + " "
                                   : Expr.Text;
        return "(" + ExprText(Expr.Args[0]) + op + ExprText(Expr.Args[1]) + ")";
    }
    default: return Expr.Text;
    }
}

std::string TypeList(const TModel& Model, const std::vector<int32_t>& Types) {
    std::string text;
    for (const int32_t type : Types) text += (text.empty() ? "" : ", ") + std::string(Model.Type(type).Name);
    return text;
}

bool WhenHolds(const TWhen& When, int Version) {
    return (When.Since == 0 || Version >= When.Since) && (When.Before == 0 || Version < When.Before) &&
           (When.Only == 0 || Version == When.Only);
}

// A second-class name: a registered four-character prefix and an underscore.
bool IsSecondClass(std::string_view Key) {
    return Key.size() > 5 && Key[4] == '_' &&
           std::all_of(Key.begin(), Key.begin() + 4, [](char C) { return std::isalnum(static_cast<unsigned char>(C)); });
}

}  // namespace

TObjectChecker::TObjectChecker(const TModel& Model, TObjectSource& Source, TFileFacts Facts, TObjectCheckLimits Limits)
    : FModel(Model), FSource(Source), FFacts(Facts), FLimits(Limits) {}

const TValue* TObjectChecker::Resolve(const TValue* Value) {
    if (!Value || !Value->Is(TValue::TKind::Reference)) return Value;
    const int32_t number = Value->AsReference().Number;
    if (number < 0 || static_cast<size_t>(number) >= FObjects.size()) return nullptr;
    TValuePtr& slot = FObjects[static_cast<size_t>(number)];
    if (!slot) slot = FSource.Object(number);
    const TValue* object = slot.get();
    // A reference to a reference is no object.
    return object && !object->Is(TValue::TKind::Reference) ? object : nullptr;
}

TObjectChecker::TParents TObjectChecker::ParentsOf(const TVisit& Visit) {
    TParents parents;
    for (const TPathNode* node = Visit.Path ? Visit.Path->Up : nullptr;
         node && parents.Count < parents.Values.size(); node = node->Up)
        parents.Values[parents.Count++] = node->Value;
    return parents;
}

TScope TObjectChecker::ScopeOf(const TVisit& Visit, const TParents& Parents) const {
    TScope scope;
    scope.Version = FStats.Version;
    scope.Self = Visit.Value;
    scope.SelfType = &FModel.Type(Visit.Type);
    scope.Parents = std::span<const TValue* const>(Parents.Values.data(), Parents.Count);
    scope.Trailer = FTrailer.get();
    scope.FileSize = FFacts.FileSize;
    scope.PageCount = FFacts.PageCount;
    scope.Encrypted = FFacts.Encrypted;
    auto* self = const_cast<TObjectChecker*>(this);
    scope.Resolve = [self](const TValue* Value) { return self->Resolve(Value); };
    scope.NameTreeHolds = [self](const TValue* Tree, std::string_view Key) {
        const auto found = self->FTreeKeys.try_emplace(Tree);
        std::unordered_set<std::string>& keys = found.first->second;
        if (found.second)
            ForEachLeaf(Tree, false, [self](const TValue* V) { return self->Resolve(V); },
                        [&keys](const TValue& K, const TValue&, size_t) {
                            if (K.Is(TValue::TKind::String)) keys.insert(K.Text());
                            return true;
                        });
        return keys.contains(std::string(Key));
    };
    return scope;
}

std::string TObjectChecker::StepText(const TPathNode& Node) {
    if (!Node.Up) return Node.Step.Number == 0 ? "trailer" : "trailer~" + std::to_string(Node.Step.Number);
    return Node.Step.Numbered ? std::to_string(Node.Step.Number) : Printable(Node.Step.Key);
}

std::string TObjectChecker::PathText(TPath Path) {
    // A long chain (an outline's /Next after /Next) is shown by its root
    // and its last steps, so that telling a finding costs the same at any
    // depth.
    constexpr size_t Shown = 24;
    std::vector<const TPathNode*> nodes;
    const TPathNode* node = Path;
    for (; node && nodes.size() < Shown; node = node->Up) nodes.push_back(node);
    std::string text;
    if (node) {
        while (node->Up) node = node->Up;
        text = StepText(*node) + "/.../";
    }
    for (auto it = nodes.rbegin(); it != nodes.rend(); ++it) text += (it == nodes.rbegin() ? "" : "/") + StepText(**it);
    return text;
}

TObjectChecker::TPath TObjectChecker::Node(TPath Up, TStep Step, const TValue* Value) {
    return &FNodes.emplace_back(TPathNode{Up, Step, Value});
}

void TObjectChecker::Tell(TObjectCode Code, const TVisit& Visit, std::string Key, int Version, TMessage Message,
                          TPath At) {
    TObjectFinding finding;
    finding.Code = Code;
    finding.Severity = SeverityOf(Code);
    finding.Object = Visit.Object;
    finding.Path = PathText(At ? At : Visit.Path);
    finding.Key = std::move(Key);
    finding.Type = std::string(FModel.Type(Visit.Type).Name);
    finding.Version = Version;
    finding.Message = std::move(Message);
    if (Code == TObjectCode::UnknownKey && IsSecondClass(finding.Key)) {
        finding.SecondClass = true;
        ++FStats.SecondClassKeys;
    } else {
        ++FStats.Findings[static_cast<size_t>(Code)];
    }
    if (FReport && *FReport) (*FReport)(finding);
}

bool TObjectChecker::Holds(const TScope& Scope, const std::optional<TExpr>& Condition, bool Assertion) {
    if (!Condition) return false;
    TEvaluator evaluator(Scope, FStats.Predicates, Assertion);
    return evaluator.Truth(*Condition) == true;
}

bool TObjectChecker::Run(const TReport& Report, const TGoOn& GoOn) {
    FReport = &Report;
    FTrailers = FSource.RevisionTrailers();
    FTrailer = FTrailers.empty() ? nullptr : FTrailers.front();
    const auto objects = static_cast<size_t>(std::max(0, FSource.ObjectCount()));
    FObjects.resize(objects);
    FFirstType.assign(objects, -1);
    FChoices.assign(objects, {});
    if (!FTrailer || !FTrailer->IsDictionary()) return true;
    FStats.Version = FFacts.HeaderVersion > 0 ? FFacts.HeaderVersion : 17;
    if (const TValue* catalog = Resolve(FTrailer->Find("Root")); catalog && catalog->IsDictionary())
        if (const TValue* version = Resolve(catalog->Find("Version")); version && version->Is(TValue::TKind::Name))
            FStats.Version = std::max(FStats.Version, ParseVersion(version->Text()));
    FTypeCounts.assign(FModel.TypeCount(), 0);
    const auto countTypes = [this] {
        for (size_t t = 0; t < FTypeCounts.size(); ++t)
            if (FTypeCounts[t] > 0) FStats.Types[std::string(FModel.Type(static_cast<int32_t>(t)).Name)] = FTypeCounts[t];
    };
    // The newest revision's objects first, each walked to its end, so that
    // an object the document still uses is shown by its path from there;
    // the earlier revisions add what only they reach.
    for (size_t r = 0; r < FTrailers.size() && !FStats.Cut; ++r) {
        const TValue* trailer = FTrailers[r].get();
        if (!trailer || !trailer->IsDictionary()) continue;
        const TValue* type = trailer->Find("Type");
        const int32_t root = FModel.Find(type && type->IsName("XRef") ? "XRefStream" : "FileTrailer");
        if (root < 0) continue;
        FPending.push_back({trailer, root, -1, Node(nullptr, {{}, static_cast<int64_t>(r), true}, trailer)});
        while (!FPending.empty()) {
            if (FStats.ObjectsChecked >= FLimits.MaxVisits) {
                FStats.Cut = true;
                break;
            }
            if (GoOn && FStats.ObjectsChecked % 512 == 0 && !GoOn(FStats.ObjectsChecked)) {
                countTypes();
                return false;
            }
            const TVisit visit = std::move(FPending.front());
            FPending.pop_front();
            Check(visit);
        }
    }
    countTypes();
    return true;
}

void TObjectChecker::Check(const TVisit& Visit) {
    ++FStats.ObjectsChecked;
    const TModelType& type = FModel.Type(Visit.Type);
    ++FTypeCounts[static_cast<size_t>(Visit.Type)];
    const TParents parents = type.UsesParent ? ParentsOf(Visit) : TParents{};
    TScope scope = ScopeOf(Visit, parents);
    if (type.Array) {
        if (Visit.Value->Is(TValue::TKind::Array)) CheckArray(Visit, scope);
    } else if (Visit.Value->IsDictionary()) {
        CheckDictionary(Visit, scope);
    }
}

bool TObjectChecker::Inherited(const TValue& Object, std::string_view Key) {
    const TValue* at = Resolve(Object.Find("Parent"));
    for (int depth = 0; at && at->IsDictionary() && depth < 64; ++depth) {
        if (const TValue* value = Resolve(at->Find(Key)); value && !value->IsNull()) return true;
        at = Resolve(at->Find("Parent"));
    }
    return false;
}

void TObjectChecker::CheckDictionary(const TVisit& Visit, TScope& Scope) {
    const TValue& dict = *Visit.Value;
    const TModelType& type = FModel.Type(Visit.Type);
    for (const auto& [key, raw] : dict.Entries()) {
        const TValue* value = Resolve(&raw);
        const auto it = type.Keys.find(key);
        const int32_t row = it != type.Keys.end() ? it->second : type.Wildcard;
        if (row < 0) {
            const bool secondClass = IsSecondClass(key);
            Tell(TObjectCode::UnknownKey, Visit, Printable(key), 0,
                 MakeMessage(secondClass ? TMessageCode::ObjectSecondClassKey : TMessageCode::ObjectUnknownKey,
                             Printable(key), std::string(type.Name)));
            continue;
        }
        // A null value stands for an absent key.
        if (!value || value->IsNull()) continue;
        CheckValue(Visit, Scope, type.Rows[static_cast<size_t>(row)], key, {key}, raw, *value);
    }
    Scope.Current = nullptr;
    for (const int32_t index : type.MaybeRequired) {
        const TRow& row = type.Rows[static_cast<size_t>(index)];
        if (row.KeyKind != TRow::TKeyKind::Name) continue;
        if (const TValue* value = Resolve(dict.Find(row.Key)); value && !value->IsNull()) continue;
        if (row.Since > FStats.Version) continue;
        Scope.CurrentKey = row.Key;
        if (row.Required == TRow::TRule::When && !Holds(Scope, row.RequiredWhen, false)) continue;
        if (row.Inheritable && Inherited(dict, row.Key)) continue;
        Tell(TObjectCode::MissingKey, Visit, std::string(row.Key), 0,
             MakeMessage(TMessageCode::ObjectKeyMissing, std::string(row.Key)));
    }
}

void TObjectChecker::CheckArray(const TVisit& Visit, TScope& Scope) {
    const auto& items = Visit.Value->Items();
    const TModelType& type = FModel.Type(Visit.Type);
    const auto count = static_cast<int32_t>(items.size());
    // The fixed elements first, then a repeated group or any number of one.
    const int32_t group = type.FirstRepeat >= 0 ? static_cast<int32_t>(type.Rows.size()) - type.FirstRepeat : 0;
    const auto fixedRow = [&](int32_t Index) -> const TRow* {
        for (const TRow& row : type.Rows)
            if (row.KeyKind == TRow::TKeyKind::Index && !row.Repeats && row.Index == Index) return &row;
        return nullptr;
    };
    // In a repeated group an element the model does not require may be
    // left out: a value of none of its row's types but of the group's first
    // row's starts the group again (an attribute object whose revision
    // number is left out).
    const auto isOf = [](const TRow& Row, const TValue* Value) {
        return Value && std::any_of(Row.Alternatives.begin(), Row.Alternatives.end(),
                                    [&](const TAlternative& A) { return KindMatches(A.Type, *Value); });
    };
    const auto groupRow = [&](int32_t Position) -> const TRow& {
        return type.Rows[static_cast<size_t>(type.FirstRepeat + Position)];
    };
    const auto placed = [&](int32_t Position, const TValue* Value) {
        const bool leftOut = Position > 0 && groupRow(Position).Required == TRow::TRule::No &&
                             !isOf(groupRow(Position), Value) && isOf(groupRow(0), Value);
        return leftOut ? 0 : Position;
    };
    // Where the last group ends.
    int32_t last = 0;
    if (group > 1)
        for (int32_t i = type.FixedElements; i < count; ++i)
            last = (placed(last, Resolve(&items[static_cast<size_t>(i)])) + 1) % group;
    // Too short: a required fixed element is missing, or a repeated group
    // is left without a required element.
    int32_t needed = 0;
    for (const TRow& row : type.Rows) {
        if (row.KeyKind != TRow::TKeyKind::Index || row.Repeats || row.Index < count) continue;
        Scope.CurrentKey = row.Key;
        if (row.Required == TRow::TRule::Yes || (row.Required == TRow::TRule::When && Holds(Scope, row.RequiredWhen, false)))
            needed = std::max(needed, row.Index + 1);
    }
    if (group > 0 && count > type.FixedElements && last != 0 && groupRow(0).Required == TRow::TRule::Yes) {
        bool missing = false;
        for (int32_t p = last; p < group; ++p) missing = missing || groupRow(p).Required == TRow::TRule::Yes;
        if (missing) needed = std::max(needed, count + group - last);
    }
    if (needed > count)
        Tell(TObjectCode::ArrayLength, Visit, "", 0, MakeMessage(TMessageCode::ObjectArrayTooShort, count, needed));
    if (group == 0 && type.Wildcard < 0 && count > type.FixedElements)
        Tell(TObjectCode::ArrayLength, Visit, "", 0,
             MakeMessage(TMessageCode::ObjectArrayTooLong, count, type.FixedElements));
    int32_t position = 0;
    for (int32_t i = 0; i < count; ++i) {
        const TValue* value = Resolve(&items[static_cast<size_t>(i)]);
        const TRow* row = nullptr;
        if (i < type.FixedElements) {
            row = fixedRow(i);
        } else if (group > 0) {
            position = placed(position, value);
            row = &groupRow(position);
            position = (position + 1) % group;
        } else if (type.Wildcard >= 0) {
            row = &type.Rows[static_cast<size_t>(type.Wildcard)];
        }
        if (!row) break;
        if (!value) continue;
        // A null element is left alone unless the model names null.
        if (value->IsNull() && std::none_of(row->Alternatives.begin(), row->Alternatives.end(),
                                            [](const TAlternative& A) { return A.Type == TBasicType::Null; }))
            continue;
        CheckValue(Visit, Scope, *row, std::to_string(i), {{}, i, true}, items[static_cast<size_t>(i)], *value);
    }
}

void TObjectChecker::CheckValue(const TVisit& Visit, TScope& Scope, const TRow& Row, const std::string& Key,
                                TStep Step, const TValue& Raw, const TValue& Value) {
    const int version = FStats.Version;
    Scope.Current = &Value;
    Scope.CurrentKey = Row.KeyKind == TRow::TKeyKind::Name ? Row.Key : std::string_view(Key);
    if (Row.Since > version)
        Tell(TObjectCode::NewerThanFile, Visit, Key, Row.Since,
             MakeMessage(TMessageCode::ObjectNewerThanFile, Printable(Key), VersionText(Row.Since), VersionText(version)));
    if (Row.Deprecated > 0 && Row.Deprecated <= version)
        Tell(TObjectCode::Deprecated, Visit, Key, Row.Deprecated,
             MakeMessage(TMessageCode::ObjectDeprecated, Printable(Key), VersionText(Row.Deprecated)));

    // The first of the row's types the value is, preferring one valid in
    // the file's version.
    const TAlternative* alternative = nullptr;
    for (const TAlternative& a : Row.Alternatives) {
        if (!KindMatches(a.Type, Value)) continue;
        if (!alternative || (!WhenHolds(alternative->When, version) && WhenHolds(a.When, version))) alternative = &a;
    }
    if (!alternative) {
        std::string types;
        for (const TAlternative& a : Row.Alternatives) types += (types.empty() ? "" : ", ") + std::string(BasicTypeName(a.Type));
        Tell(TObjectCode::WrongType, Visit, Key, 0,
             MakeMessage(TMessageCode::ObjectWrongType, std::string(KindName(Value)), types));
        return;
    }

    const bool reference = Raw.Is(TValue::TKind::Reference);
    const bool mustIndirect = Row.Indirect == TRow::TRule::Yes || alternative->Indirect == true ||
                              (Row.Indirect == TRow::TRule::When && Holds(Scope, Row.IndirectWhen, false));
    const bool mustDirect = Row.Direct == TRow::TRule::Yes ||
                            (Row.Direct == TRow::TRule::When && Holds(Scope, Row.IndirectWhen, false));
    if (mustIndirect && !reference && !Value.Is(TValue::TKind::Stream))
        Tell(TObjectCode::NotIndirect, Visit, Key, 0, TMessage(TMessageCode::ObjectNotIndirect));
    if (mustDirect && reference) Tell(TObjectCode::NotDirect, Visit, Key, 0, TMessage(TMessageCode::ObjectNotDirect));

    const TWhen& when = alternative->When;
    if (when.Since > version && when.Since > Row.Since)
        Tell(TObjectCode::NewerThanFile, Visit, Key, when.Since,
             MakeMessage(TMessageCode::ObjectNewerThanFile, std::string(BasicTypeName(alternative->Type)),
                         VersionText(when.Since), VersionText(version)));
    if (when.Deprecated > 0 && when.Deprecated <= version)
        Tell(TObjectCode::Deprecated, Visit, Key, when.Deprecated,
             MakeMessage(TMessageCode::ObjectDeprecated, std::string(BasicTypeName(alternative->Type)),
                         VersionText(when.Deprecated)));

    // Rectangles and matrices: numbers, four and six of them.
    if (alternative->Type == TBasicType::Rectangle || alternative->Type == TBasicType::Matrix) {
        const size_t wanted = alternative->Type == TBasicType::Rectangle ? 4 : 6;
        const auto& items = Value.Items();
        if (items.size() != wanted) {
            Tell(TObjectCode::ArrayLength, Visit, Key, 0,
                 MakeMessage(items.size() < wanted ? TMessageCode::ObjectArrayTooShort : TMessageCode::ObjectArrayTooLong,
                             items.size(), wanted));
        } else if (std::any_of(items.begin(), items.end(), [&](const TValue& I) {
                       const TValue* item = Resolve(&I);
                       return !item || !item->IsNumber();
                   })) {
            Tell(TObjectCode::WrongType, Visit, Key, 0,
                 MakeMessage(TMessageCode::ObjectWrongType, "array", std::string(BasicTypeName(alternative->Type))));
        }
    }

    CheckPossible(Visit, Scope, *alternative, Key, Value);
    if (alternative->Special) {
        TEvaluator evaluator(Scope, FStats.Predicates, true);
        if (evaluator.Truth(*alternative->Special) == false) {
            const bool length = Mentions(*alternative->Special, "ArrayLength");
            Tell(length ? TObjectCode::ArrayLength : TObjectCode::SpecialCase, Visit, Key, 0,
                 MakeMessage(length ? TMessageCode::ObjectArrayCondition : TMessageCode::ObjectConditionFails,
                             ExprText(*alternative->Special)));
        }
    }

    if (alternative->Links.empty()) return;
    if (alternative->Type == TBasicType::NameTree || alternative->Type == TBasicType::NumberTree) {
        FollowTree(Visit, *alternative, Step, Raw, Value);
        return;
    }
    Follow(Visit, alternative->Links, Step, Raw, Value);
}

void TObjectChecker::CheckPossible(const TVisit& Visit, TScope& Scope, const TAlternative& Alternative,
                                   const std::string& Key, const TValue& Value) {
    if (Alternative.Possible.empty()) return;
    const int version = FStats.Version;
    const bool plain = !Value.Is(TValue::TKind::Array) && !Value.IsDictionary();
    const TEvalValue value = FromValue(&Value);
    bool literals = false, listed = false, wildcard = false;
    const TPossibleValue* match = nullptr;
    std::optional<bool> condition;  // any condition true, all false, or unknown
    const TExpr* failed = nullptr;
    std::string allowed;
    TEvaluator evaluator(Scope, FStats.Predicates, true);
    for (const TPossibleValue& possible : Alternative.Possible) {
        switch (possible.Kind) {
        case TPossibleValue::TKind::Literal:
            if (!plain || possible.Expr.Kind == TExpr::TKind::ArrayLiteral) break;
            literals = true;
            if (allowed.size() < 200) allowed += (allowed.empty() ? "" : ", ") + ExprText(possible.Expr);
            if (Equal(value, LiteralOf(possible.Expr)) == true) {
                listed = true;
                if (!match || WhenHolds(possible.When, version)) match = &possible;
            }
            break;
        case TPossibleValue::TKind::Wildcard:
            wildcard = true;
            break;
        case TPossibleValue::TKind::Condition: {
            const auto holds = evaluator.Truth(possible.Expr);
            if (holds == true) condition = true;
            if (holds == false && !condition) {
                condition = false;
                failed = &possible.Expr;
            }
            break;
        }
        case TPossibleValue::TKind::RequiredValue: {
            // The value is allowed, and it is the one allowed when the
            // condition holds.
            const auto& args = possible.Expr.Args;
            if (plain) {
                literals = true;
                if (allowed.size() < 200) allowed += (allowed.empty() ? "" : ", ") + ExprText(args[1]);
                if (Equal(value, LiteralOf(args[1])) == true) listed = true;
            }
            if (evaluator.Truth(args[0]) == true && Equal(value, LiteralOf(args[1])) == false)
                Tell(TObjectCode::ValueNotAllowed, Visit, Key, 0,
                     MakeMessage(TMessageCode::ObjectValueNotAllowed, ValueText(Value), ExprText(possible.Expr)));
            break;
        }
        }
    }
    if (literals && !listed && !wildcard && condition != true) {
        Tell(TObjectCode::ValueNotAllowed, Visit, Key, 0,
             MakeMessage(TMessageCode::ObjectValueNotAllowed, ValueText(Value), allowed));
    } else if (!literals && condition == false && failed) {
        const bool length = Mentions(*failed, "ArrayLength");
        Tell(length ? TObjectCode::ArrayLength : TObjectCode::ValueNotAllowed, Visit, Key, 0,
             length ? MakeMessage(TMessageCode::ObjectArrayCondition, ExprText(*failed))
                    : MakeMessage(TMessageCode::ObjectValueNotAllowed, ValueText(Value), ExprText(*failed)));
    }
    if (!match) return;
    if (match->When.Since > version)
        Tell(TObjectCode::NewerThanFile, Visit, Key, match->When.Since,
             MakeMessage(TMessageCode::ObjectNewerThanFile, ValueText(Value), VersionText(match->When.Since),
                         VersionText(version)));
    if (match->When.Deprecated > 0 && match->When.Deprecated <= version)
        Tell(TObjectCode::Deprecated, Visit, Key, match->When.Deprecated,
             MakeMessage(TMessageCode::ObjectDeprecated, ValueText(Value), VersionText(match->When.Deprecated)));
}

bool TObjectChecker::FirstVisit(int32_t Object, int64_t Slot) {
    // Most objects are reached as one type: that one is kept in a flat
    // table, any other in a set.
    if (Object >= 0 && static_cast<size_t>(Object) < FFirstType.size()) {
        int32_t& first = FFirstType[static_cast<size_t>(Object)];
        if (first < 0) {
            first = static_cast<int32_t>(Slot);
            return true;
        }
        if (first == Slot) return false;
    }
    return FVisited.insert(static_cast<int64_t>(Object) * 1024 + Slot).second;
}

void TObjectChecker::Follow(const TVisit& Visit, const std::vector<TLinkTarget>& Targets, TStep Step,
                            const TValue& Raw, const TValue& Value) {
    const bool indirect = Raw.Is(TValue::TKind::Reference);
    const int32_t object = indirect ? Raw.AsReference().Number : Visit.Object;
    const std::string preferred = FilterType(Visit, Step);
    // Without a /Filter to prefer, the choice depends on the object alone.
    TKeptChoice* kept = indirect && preferred.empty() && Targets.size() > 1 && static_cast<size_t>(object) < FChoices.size()
                            ? &FChoices[static_cast<size_t>(object)]
                            : nullptr;
    TLinkChoice choice;
    if (kept && kept->Targets == &Targets) {
        choice.Outcome = TLinkChoice::TOutcome::Chosen;
        choice.Type = kept->Type;
    } else {
        choice = ChooseLink(FModel, Targets, Value, [this](const TValue* V) { return Resolve(V); }, FStats.Version,
                            preferred);
        // The latest list kept: an object is reached by its parent once, by
        // its children's /Parent many times.
        if (kept && choice.Outcome == TLinkChoice::TOutcome::Chosen) *kept = {&Targets, choice.Type};
    }
    if (choice.Outcome != TLinkChoice::TOutcome::Chosen) {
        // Told once per object, at the first place it is reached from.
        if (indirect && !FirstVisit(object, TreeSlot - 1)) return;
        const TVisit at{&Value, Visit.Type, object, Node(Visit.Path, Step, &Value)};
        const bool tie = choice.Outcome == TLinkChoice::TOutcome::Tie;
        Tell(tie ? TObjectCode::TypesTie : TObjectCode::NoTypeFits, at, "", 0,
             MakeMessage(tie ? TMessageCode::ObjectTypesTie : TMessageCode::ObjectNoTypeFits,
                         TypeList(FModel, choice.Tied)));
        return;
    }
    if (indirect && !FirstVisit(object, choice.Type)) return;
    FPending.push_back({&Value, choice.Type, object, Node(Visit.Path, Step, &Value)});
}

std::string TObjectChecker::FilterType(const TVisit& Visit, TStep Step) {
    // /DecodeParms beside /Filter, or element N of a /DecodeParms array
    // beside element N of a /Filter array.
    const auto parameters = [](const TStep& S) {
        return !S.Numbered && (S.Key == "DecodeParms" || S.Key == "FDecodeParms");
    };
    const TValue* holder = Visit.Value;
    std::string_view filterKey = Step.Key == "FDecodeParms" ? "FFilter" : "Filter";
    size_t index = 0;
    const bool element = Step.Numbered && Visit.Path && Visit.Path->Up && parameters(Visit.Path->Step) &&
                         FModel.Type(Visit.Type).Array;
    if (element) {
        holder = Visit.Path->Up->Value;
        filterKey = Visit.Path->Step.Key == "FDecodeParms" ? "FFilter" : "Filter";
        index = Step.Number >= 0 && Step.Number < 100000 ? static_cast<size_t>(Step.Number) : 0;
    } else if (!parameters(Step)) {
        return {};
    }
    const TValue* filter = holder && holder->IsDictionary() ? Resolve(holder->Find(filterKey)) : nullptr;
    if (filter && filter->Is(TValue::TKind::Array))
        filter = index < filter->Items().size() ? Resolve(&filter->Items()[index]) : nullptr;
    if (!filter || !filter->Is(TValue::TKind::Name)) return {};
    return "Filter" + filter->Text();
}

void TObjectChecker::FollowTree(const TVisit& Visit, const TAlternative& Alternative, TStep Step,
                                const TValue& Raw, const TValue& Tree) {
    if (Raw.Is(TValue::TKind::Reference) && !FirstVisit(Raw.AsReference().Number, TreeSlot)) return;
    const bool numbers = Alternative.Type == TBasicType::NumberTree;
    TVisit treeVisit = Visit;
    treeVisit.Path = Node(Visit.Path, Step, &Tree);
    ForEachLeaf(&Tree, numbers, [this](const TValue* V) { return Resolve(V); },
                [&](const TValue& LeafKey, const TValue& LeafRaw, size_t) {
                    const TValue* leaf = Resolve(&LeafRaw);
                    if (!leaf || !(leaf->IsDictionary() || leaf->Is(TValue::TKind::Array))) return true;
                    const TStep step = LeafKey.Is(TValue::TKind::Integer) ? TStep{{}, LeafKey.AsInteger(), true}
                                                                         : TStep{LeafKey.Text(), 0, false};
                    Follow(treeVisit, Alternative.Links, step, LeafRaw, *leaf);
                    return true;
                });
}

}  // namespace lumerra::objects
