#include "objects/PredicateEval.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_set>

#include "objects/Trees.h"

namespace lumerra::objects {

namespace {

using K = TEvalValue::TKind;

TEvalValue Boolean(bool B) {
    TEvalValue value;
    value.Kind = K::Boolean;
    value.Truth = B;
    return value;
}

TEvalValue Number(double N) {
    TEvalValue value;
    value.Kind = K::Number;
    value.Number = N;
    return value;
}

TEvalValue Unknown() { return {}; }

}  // namespace

TEvalValue LiteralOf(const TExpr& Expr) {
    TEvalValue value;
    switch (Expr.Kind) {
    case TExpr::TKind::Number:
        value.Kind = K::Number;
        value.Number = Expr.Number;
        value.Text = Expr.Text;
        break;
    case TExpr::TKind::Word:
    case TExpr::TKind::Text:
        value.Kind = K::Text;
        value.Text = Expr.Text;
        break;
    case TExpr::TKind::Boolean:
        return Boolean(Expr.Truth);
    default:
        break;
    }
    return value;
}

namespace {

int VersionOf(const TExpr& Expr) { return Expr.Kind == TExpr::TKind::Number ? ParseVersion(Expr.Text) : 0; }

bool IsArray(const TValue* Value) { return Value && Value->Is(TValue::TKind::Array); }

constexpr std::array<std::string_view, 14> Standard14{
    "Times-Roman", "Times-Bold", "Times-Italic", "Times-BoldItalic", "Helvetica", "Helvetica-Bold",
    "Helvetica-Oblique", "Helvetica-BoldOblique", "Courier", "Courier-Bold", "Courier-Oblique",
    "Courier-BoldOblique", "Symbol", "ZapfDingbats"};

bool IsProcessColorant(std::string_view Name) {
    return Name == "Cyan" || Name == "Magenta" || Name == "Yellow" || Name == "Black";
}

}  // namespace

TEvalValue FromValue(const TValue* Value) {
    if (!Value) return Unknown();
    TEvalValue value;
    switch (Value->Kind()) {
    case TValue::TKind::Boolean:
        return Boolean(Value->AsBoolean());
    case TValue::TKind::Integer:
        return Number(static_cast<double>(Value->AsInteger()));
    case TValue::TKind::Real:
        return Number(Value->AsReal());
    case TValue::TKind::Name:
    case TValue::TKind::String:
        value.Kind = K::Text;
        value.Text = Value->Text();
        return value;
    case TValue::TKind::Array:
    case TValue::TKind::Dictionary:
    case TValue::TKind::Stream:
        value.Kind = K::Object;
        value.Object = Value;
        return value;
    default:
        return Unknown();
    }
}

std::optional<bool> Equal(const TEvalValue& A, const TEvalValue& B) {
    if (A.Kind == K::Unknown || B.Kind == K::Unknown) return std::nullopt;
    if (A.Kind == K::Number && B.Kind == K::Number) return A.Number == B.Number;
    if (A.Kind == K::Boolean && B.Kind == K::Boolean) return A.Truth == B.Truth;
    // A name such as /1.4 against the literal 1.4: compared as written.
    const bool aText = A.Kind == K::Text || (A.Kind == K::Number && !A.Text.empty());
    const bool bText = B.Kind == K::Text || (B.Kind == K::Number && !B.Text.empty());
    if (aText && bText && (A.Kind == K::Text || B.Kind == K::Text)) return A.Text == B.Text;
    if (A.Kind == K::Object || B.Kind == K::Object) return std::nullopt;
    return false;
}

const TValue* TEvaluator::Walk(const TExpr& Path, std::optional<bool>* Any) {
    const TValue* at = FScope.Self;
    size_t i = 0;
    const auto& segments = Path.Kind == TExpr::TKind::Word ? std::vector<std::string>{Path.Text} : Path.Segments;
    size_t up = 0;
    while (i < segments.size() && segments[i] == "parent") {
        at = up < FScope.Parents.size() ? FScope.Parents[up] : nullptr;
        ++up;
        ++i;
    }
    // A key by name is never an array's: the parent meant is the nearest
    // dictionary (a structure element, not the /K array that holds its
    // object reference).
    const auto named = [&](size_t At) {
        return At < segments.size() && segments[At] != "*" && segments[At] != "trailer" &&
               !std::all_of(segments[At].begin(), segments[At].end(), ::isdigit);
    };
    while (up > 0 && IsArray(at) && named(i)) at = up < FScope.Parents.size() ? FScope.Parents[up++] : nullptr;
    if (i < segments.size() && segments[i] == "trailer") {
        at = FScope.Trailer;
        ++i;
        if (i < segments.size() && segments[i] == "Catalog") {
            at = at ? Resolve(at->Find("Root")) : nullptr;
            ++i;
        }
    }
    // "@*" in a row of any key: the row's own value.
    if (segments.size() == 1 && segments[0] == "*") return FScope.Current;
    for (; i < segments.size() && at; ++i) {
        const std::string& segment = segments[i];
        if (segment == "*") {
            if (Any) *Any = at->IsDictionary() ? !at->Entries().empty() : IsArray(at) && !at->Items().empty();
            return nullptr;
        }
        const TValue* next = nullptr;
        if (at->IsDictionary()) {
            next = at->Find(segment);
        } else if (IsArray(at) && !segment.empty() && std::all_of(segment.begin(), segment.end(), ::isdigit)) {
            const size_t index = std::stoul(segment.size() > 9 ? "999999999" : segment);
            next = index < at->Items().size() ? &at->Items()[index] : nullptr;
        }
        at = Resolve(next);
        if (at && at->IsNull()) at = nullptr;
    }
    return at;
}

bool TEvaluator::Present(const TExpr& Path) {
    std::optional<bool> any;
    const TValue* value = Walk(Path, &any);
    return any ? *any : value != nullptr;
}

TEvalValue TEvaluator::ValueOf(const TExpr& Path) {
    const TValue* value = Walk(Path);
    if (value) return FromValue(value);
    // An absent key of this object stands for its default, where the model
    // gives a plain one.
    if (Path.Segments.size() == 1 && FScope.SelfType) {
        const auto it = FScope.SelfType->Keys.find(Path.Segments[0]);
        if (it != FScope.SelfType->Keys.end()) {
            const TRow& row = FScope.SelfType->Rows[static_cast<size_t>(it->second)];
            if (row.Alternatives.size() == 1 && row.Alternatives[0].Default) return LiteralOf(*row.Alternatives[0].Default);
        }
    }
    return Unknown();
}

std::optional<bool> TEvaluator::Truth(const TExpr& Expr) {
    if (Expr.Kind == TExpr::TKind::Word || (Expr.Kind == TExpr::TKind::Path && !Expr.ValueOf)) return Present(Expr);
    const TEvalValue value = Eval(Expr);
    if (value.Kind == K::Boolean) return value.Truth;
    return std::nullopt;
}

TEvalValue TEvaluator::Eval(const TExpr& Expr) {
    switch (Expr.Kind) {
    case TExpr::TKind::Path:
        return Expr.ValueOf ? ValueOf(Expr) : Boolean(Present(Expr));
    case TExpr::TKind::Call:
        return Call(Expr);
    case TExpr::TKind::Binary:
        return Binary(Expr);
    default:
        return LiteralOf(Expr);
    }
}

TEvalValue TEvaluator::Call(const TExpr& Expr) {
    if (!IsEvaluable(Expr.Text)) {
        ++FCounts.Skipped;
        return Unknown();
    }
    TEvalValue value = Function(Expr);
    ++(value.Kind == K::Unknown ? FCounts.Undetermined : FCounts.Evaluated);
    return value;
}

TEvalValue TEvaluator::Binary(const TExpr& Expr) {
    const std::string& op = Expr.Text;
    if (op == "&&" || op == "||") {
        const auto a = Truth(Expr.Args[0]);
        const bool shortCut = op == "&&" ? a == false : a == true;
        if (shortCut) return Boolean(*a);
        const auto b = Truth(Expr.Args[1]);
        if (op == "&&") {
            if (b == false) return Boolean(false);
            return a && b ? Boolean(true) : Unknown();
        }
        if (b == true) return Boolean(true);
        return a && b ? Boolean(false) : Unknown();
    }
    const TEvalValue a = Eval(Expr.Args[0]);
    const TEvalValue b = Eval(Expr.Args[1]);
    if (op == "==" || op == "!=") {
        const auto equal = Equal(a, b);
        if (!equal) return Unknown();
        return Boolean(op == "==" ? *equal : !*equal);
    }
    if (a.Kind != K::Number || b.Kind != K::Number) return Unknown();
    if (op == "<") return Boolean(a.Number < b.Number);
    if (op == "<=") return Boolean(a.Number <= b.Number);
    if (op == ">") return Boolean(a.Number > b.Number);
    if (op == ">=") return Boolean(a.Number >= b.Number);
    if (op == "+") return Number(a.Number + b.Number);
    if (op == "-") return Number(a.Number - b.Number);
    if (op == "*") return Number(a.Number * b.Number);
    if (op == "mod") {
        const auto divisor = static_cast<int64_t>(b.Number);
        if (divisor == 0) return Unknown();
        return Number(static_cast<double>(static_cast<int64_t>(a.Number) % divisor));
    }
    return Unknown();
}

TEvalValue TEvaluator::Function(const TExpr& Expr) {
    const std::string& name = Expr.Text;
    const auto& args = Expr.Args;
    const auto truthOf = [](std::optional<bool> B) { return B ? Boolean(*B) : Unknown(); };
    // A wrapper around a statement: the statement where the wrapper holds.
    const auto wrapped = [&](bool Holds) {
        if (!Holds) return Boolean(FAssertion);
        if (args.size() < 2) return Boolean(true);
        if (args[1].Kind == TExpr::TKind::Number || args[1].Kind == TExpr::TKind::Text) return LiteralOf(args[1]);
        return truthOf(Truth(args[1]));
    };
    const int version = FScope.Version;

    if (name == "Eval") return args.size() == 1 ? Eval(args[0]) : Unknown();
    if (name == "Not") {
        const auto inner = args.size() == 1 ? Truth(args[0]) : std::nullopt;
        return inner ? Boolean(!*inner) : Unknown();
    }
    if (name == "SinceVersion" && !args.empty()) return wrapped(version >= VersionOf(args[0]));
    if (name == "BeforeVersion" && !args.empty()) return wrapped(version < VersionOf(args[0]));
    if (name == "IsPDFVersion" && !args.empty()) return wrapped(version == VersionOf(args[0]));
    if (name == "Deprecated" && args.size() == 2) return wrapped(true);
    if (name == "Extension" && !args.empty()) return wrapped(true);
    if ((name == "IsRequired" || name == "MustBeDirect" || name == "MustBeIndirect") && args.size() <= 1)
        return args.empty() ? Boolean(true) : truthOf(Truth(args[0]));
    // Whether a key is ignored or meaningful asserts nothing that can fail.
    if ((name == "Ignore" || name == "IsMeaningful") && args.size() <= 1) {
        if (!args.empty()) Truth(args[0]);
        return Boolean(true);
    }
    if (name == "ImplementationDependent" || name == "KeyNameIsColorant") return Boolean(true);
    if (name == "IsPresent" && !args.empty()) {
        const bool path = args[0].Kind == TExpr::TKind::Word || (args[0].Kind == TExpr::TKind::Path && !args[0].ValueOf);
        if (!path) {
            // The row's value is present under the condition (the model
            // writes "shall not be present when" as its negation).
            const auto condition = Truth(args[0]);
            if (!condition) return Unknown();
            return Boolean(*condition && FScope.Current != nullptr);
        }
        if (args.size() == 1) return Boolean(Present(args[0]));
        if (!Present(args[0])) return Boolean(true);
        return truthOf(Truth(args[1]));
    }
    if (name == "FileSize") return FScope.FileSize > 0 ? Number(static_cast<double>(FScope.FileSize)) : Unknown();
    if (name == "NumberOfPages") return FScope.PageCount > 0 ? Number(FScope.PageCount) : Unknown();
    if (name == "AlwaysUnencrypted") return FScope.Encrypted ? Unknown() : Boolean(true);

    // Functions of the row's own value.
    const TValue* current = FScope.Current;
    if (name == "BitClear" || name == "BitSet" || name == "BitsClear" || name == "BitsSet") {
        if (!current || !current->Is(TValue::TKind::Integer) || args.empty()) return Unknown();
        const auto bits = static_cast<uint32_t>(current->AsInteger());
        const int low = static_cast<int>(args[0].Number);
        const int high = args.size() > 1 ? static_cast<int>(args[1].Number) : low;
        if (low < 1 || high > 32 || low > high) return Unknown();
        const bool set = name == "BitSet" || name == "BitsSet";
        for (int bit = low; bit <= high; ++bit)
            if (((bits >> (bit - 1)) & 1u) != (set ? 1u : 0u)) return Boolean(false);
        return Boolean(true);
    }
    if (name == "InKeyMap" && args.size() == 1) {
        const TValue* map = Walk(args[0]);
        if (!current || !current->Is(TValue::TKind::Name) || !map || !map->IsDictionary()) return Unknown();
        return Boolean(map->Find(current->Text()) != nullptr);
    }
    if (name == "InNameTree" && args.size() == 1) {
        const TValue* tree = Walk(args[0]);
        if (!current || !current->Is(TValue::TKind::String) || !tree) return Unknown();
        return Boolean(FScope.NameTreeHolds ? FScope.NameTreeHolds(tree, current->Text())
                                            : NameTreeHolds(tree, current->Text(), FScope.Resolve));
    }
    if (name == "NoCycle") {
        // Follows the row's key from object to object.
        if (!FScope.Self || FScope.CurrentKey.empty()) return Unknown();
        std::unordered_set<int32_t> seen;
        const TValue* at = FScope.Self;
        for (int steps = 0; at && steps < 1'000; ++steps) {
            const TValue* next = at->IsDictionary() ? at->Find(FScope.CurrentKey) : nullptr;
            if (!next || !next->Is(TValue::TKind::Reference)) return Boolean(true);
            if (!seen.insert(next->AsReference().Number).second) return Boolean(false);
            at = Resolve(next);
        }
        return at ? Unknown() : Boolean(true);
    }

    // Functions of a key or a value.
    if (args.empty()) {
        const TValue* self = FScope.Self;
        if (name == "NotStandard14Font") {
            if (!self || !self->IsDictionary()) return Unknown();
            const TValue* base = Resolve(self->Find("BaseFont"));
            const TValue* subtype = Resolve(self->Find("Subtype"));
            if (!subtype || !subtype->IsName("Type1")) return Boolean(true);
            if (!base || !base->Is(TValue::TKind::Name)) return Unknown();
            return Boolean(std::find(Standard14.begin(), Standard14.end(), base->Text()) == Standard14.end());
        }
        if (name == "IsPDFTagged") {
            TExpr path;
            path.Kind = TExpr::TKind::Path;
            path.Segments = {"trailer", "Catalog", "MarkInfo", "Marked"};
            const TValue* marked = Walk(path);
            return Boolean(marked && marked->Is(TValue::TKind::Boolean) && marked->AsBoolean());
        }
        if (name == "IsEncryptedWrapper") {
            // A wrapper's catalog names its payload among its associated files.
            TExpr path;
            path.Kind = TExpr::TKind::Path;
            path.Segments = {"trailer", "Catalog", "AF"};
            const TValue* files = Walk(path);
            if (!IsArray(files)) return Boolean(false);
            for (const TValue& item : files->Items()) {
                const TValue* file = Resolve(&item);
                const TValue* relation = file && file->IsDictionary() ? Resolve(file->Find("AFRelationship")) : nullptr;
                if (relation && relation->IsName("EncryptedPayload")) return Boolean(true);
            }
            return Boolean(false);
        }
        return Unknown();
    }
    const bool keyArg = args[0].Kind == TExpr::TKind::Word || args[0].Kind == TExpr::TKind::Path;
    const TValue* target = keyArg ? Walk(args[0]) : Eval(args[0]).Object;
    if (name == "ArrayLength") return IsArray(target) ? Number(static_cast<double>(target->Items().size())) : Unknown();
    if (name == "StringLength")
        return target && target->Is(TValue::TKind::String) ? Number(static_cast<double>(target->Text().size())) : Unknown();
    if (name == "StreamLength") {
        const TValue* length = target && target->Is(TValue::TKind::Stream) ? Resolve(target->Find("Length")) : nullptr;
        return length && length->Is(TValue::TKind::Integer) ? Number(static_cast<double>(length->AsInteger())) : Unknown();
    }
    if (name == "RectWidth" || name == "RectHeight") {
        if (!IsArray(target) || target->Items().size() != 4) return Unknown();
        std::array<double, 4> c{};
        for (size_t i = 0; i < 4; ++i) {
            const TValue* item = Resolve(&target->Items()[i]);
            if (!item || !item->IsNumber()) return Unknown();
            c[i] = item->Is(TValue::TKind::Real) ? item->AsReal() : static_cast<double>(item->AsInteger());
        }
        return Number(name == "RectWidth" ? std::fabs(c[2] - c[0]) : std::fabs(c[3] - c[1]));
    }
    if (name == "ArraySortAscending" && args.size() == 2) {
        if (!IsArray(target) || args[1].Number < 1) return Unknown();
        const auto step = static_cast<size_t>(args[1].Number);
        double last = -INFINITY;
        for (size_t i = 0; i < target->Items().size(); i += step) {
            const TEvalValue item = FromValue(Resolve(&target->Items()[i]));
            if (item.Kind != K::Number) return Unknown();
            if (item.Number < last) return Boolean(false);
            last = item.Number;
        }
        return Boolean(true);
    }
    if (name == "HasProcessColorants" || name == "HasSpotColorants") {
        if (!IsArray(target)) return Unknown();
        for (const TValue& item : target->Items())
            if (item.Is(TValue::TKind::Name) && IsProcessColorant(item.Text()) == (name == "HasProcessColorants"))
                return Boolean(true);
        return Boolean(false);
    }
    if (name == "Contains" && args.size() == 2) {
        const TEvalValue wanted = LiteralOf(args[1]);
        const TValue* value = args[0].Kind == TExpr::TKind::Path ? Walk(args[0]) : nullptr;
        if (!value) return Unknown();
        if (!IsArray(value)) return truthOf(Equal(FromValue(value), wanted));
        for (const TValue& item : value->Items())
            if (Equal(FromValue(Resolve(&item)), wanted) == true) return Boolean(true);
        return Boolean(false);
    }
    if (name == "IsFieldName") {
        const TEvalValue value = Eval(args[0]);
        if (value.Kind != K::Text) return Unknown();
        return Boolean(value.Text.find('.') == std::string::npos);
    }
    if (name == "PageProperty" && args.size() == 2) {
        const TValue* page = Eval(args[0]).Object;
        if (!page || !page->IsDictionary()) return Unknown();
        TScope pageScope = FScope;
        pageScope.Self = page;
        pageScope.SelfType = nullptr;
        TEvaluator inner(pageScope, FCounts, FAssertion);
        if (args[1].Kind == TExpr::TKind::Word) return FromValue(inner.Walk(args[1]));
        return inner.Eval(args[1]);
    }
    return Unknown();
}

}  // namespace lumerra::objects
