#include "objects/Predicate.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace lumerra::objects {

namespace {

bool IsAtomChar(char C) {
    return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || (C >= '0' && C <= '9') || C == '_' || C == '.' ||
           C == ':' || C == '*' || C == '@' || C == '#' || C == '-';
}

std::optional<double> NumberOf(std::string_view Text) {
    if (Text.empty()) return std::nullopt;
    size_t i = Text[0] == '-' || Text[0] == '+' ? 1 : 0;
    bool digit = false, dot = false;
    for (; i < Text.size(); ++i) {
        if (Text[i] >= '0' && Text[i] <= '9') {
            digit = true;
        } else if (Text[i] == '.' && !dot) {
            dot = true;
        } else {
            return std::nullopt;
        }
    }
    if (!digit) return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(Text.data(), Text.data() + Text.size(), value);
    if (error != std::errc() || end != Text.data() + Text.size()) return std::nullopt;
    return value;
}

// A recursive-descent reader; operators without brackets bind as in C.
class TReader {
public:
    explicit TReader(std::string_view Text) : FText(Text) {}

    std::optional<TExpr> Whole() {
        auto expr = Or();
        Skip();
        if (!expr || FPos != FText.size()) return std::nullopt;
        return expr;
    }

private:
    void Skip() {
        while (FPos < FText.size() && (FText[FPos] == ' ' || FText[FPos] == '\t')) ++FPos;
    }
    bool Take(std::string_view Token) {
        Skip();
        if (FText.substr(FPos, Token.size()) != Token) return false;
        FPos += Token.size();
        return true;
    }
    static TExpr Binary(std::string Op, TExpr Left, TExpr Right) {
        TExpr expr;
        expr.Kind = TExpr::TKind::Binary;
        expr.Text = std::move(Op);
        expr.Args.push_back(std::move(Left));
        expr.Args.push_back(std::move(Right));
        return expr;
    }

    std::optional<TExpr> Or() {
        auto left = And();
        while (left && Take("||")) {
            auto right = And();
            if (!right) return std::nullopt;
            left = Binary("||", std::move(*left), std::move(*right));
        }
        return left;
    }
    std::optional<TExpr> And() {
        auto left = Compare();
        while (left && Take("&&")) {
            auto right = Compare();
            if (!right) return std::nullopt;
            left = Binary("&&", std::move(*left), std::move(*right));
        }
        return left;
    }
    std::optional<TExpr> Compare() {
        auto left = Sum();
        if (!left) return left;
        static constexpr std::array<std::string_view, 6> ops{"==", "!=", "<=", ">=", "<", ">"};
        for (const std::string_view op : ops) {
            if (!Take(op)) continue;
            auto right = Sum();
            if (!right) return std::nullopt;
            return Binary(std::string(op), std::move(*left), std::move(*right));
        }
        return left;
    }
    std::optional<TExpr> Sum() {
        auto left = Product();
        for (;;) {
            Skip();
            // A minus between terms stands between spaces; "-1" is a number.
            const bool plus = FPos < FText.size() && FText[FPos] == '+';
            const bool minus = FPos + 1 < FText.size() && FText[FPos] == '-' && FText[FPos + 1] == ' ';
            if (!left || (!plus && !minus)) return left;
            ++FPos;
            auto right = Product();
            if (!right) return std::nullopt;
            left = Binary(plus ? "+" : "-", std::move(*left), std::move(*right));
        }
    }
    std::optional<TExpr> Product() {
        auto left = Primary();
        for (;;) {
            Skip();
            std::string op;
            if (FPos < FText.size() && FText[FPos] == '*' && (FPos + 1 >= FText.size() || !IsAtomChar(FText[FPos + 1]))) {
                op = "*";
                ++FPos;
            } else if (FText.substr(FPos, 4) == "mod ") {
                op = "mod";
                FPos += 3;
            } else {
                return left;
            }
            if (!left) return left;
            auto right = Primary();
            if (!right) return std::nullopt;
            left = Binary(op, std::move(*left), std::move(*right));
        }
    }
    std::optional<TExpr> Primary() {
        Skip();
        if (FPos >= FText.size()) return std::nullopt;
        const char c = FText[FPos];
        if (c == '(') {
            ++FPos;
            auto inner = Or();
            if (!inner || !Take(")")) return std::nullopt;
            return inner;
        }
        if (c == '\'') {
            const size_t end = FText.find('\'', FPos + 1);
            if (end == std::string_view::npos) return std::nullopt;
            TExpr expr;
            expr.Kind = TExpr::TKind::Text;
            expr.Text = std::string(FText.substr(FPos + 1, end - FPos - 1));
            FPos = end + 1;
            return expr;
        }
        if (c == '[') {
            int depth = 0;
            size_t i = FPos;
            for (; i < FText.size(); ++i) {
                if (FText[i] == '[') ++depth;
                if (FText[i] == ']' && --depth == 0) break;
            }
            if (i >= FText.size()) return std::nullopt;
            TExpr expr;
            expr.Kind = TExpr::TKind::ArrayLiteral;
            expr.Text = std::string(FText.substr(FPos + 1, i - FPos - 1));
            FPos = i + 1;
            return expr;
        }
        if (FText.substr(FPos, 3) == "fn:") return Call();
        size_t end = FPos;
        while (end < FText.size() && IsAtomChar(FText[end])) ++end;
        if (end == FPos) return std::nullopt;
        const std::string_view atom = FText.substr(FPos, end - FPos);
        FPos = end;
        return Atom(atom);
    }
    std::optional<TExpr> Call() {
        FPos += 3;
        const size_t start = FPos;
        while (FPos < FText.size() && ((FText[FPos] >= 'A' && FText[FPos] <= 'Z') ||
                                       (FText[FPos] >= 'a' && FText[FPos] <= 'z') ||
                                       (FText[FPos] >= '0' && FText[FPos] <= '9')))
            ++FPos;
        TExpr expr;
        expr.Kind = TExpr::TKind::Call;
        expr.Text = std::string(FText.substr(start, FPos - start));
        if (expr.Text.empty() || !Take("(")) return std::nullopt;
        if (Take(")")) return expr;
        for (;;) {
            auto arg = Or();
            if (!arg) return std::nullopt;
            expr.Args.push_back(std::move(*arg));
            if (Take(")")) return expr;
            if (!Take(",")) return std::nullopt;
        }
    }
    static std::optional<TExpr> Atom(std::string_view Atom) {
        TExpr expr;
        if (Atom == "true" || Atom == "false") {
            expr.Kind = TExpr::TKind::Boolean;
            expr.Truth = Atom == "true";
            return expr;
        }
        if (Atom == "null") return expr;
        expr.Text = std::string(Atom);
        if (const auto number = NumberOf(Atom)) {
            expr.Kind = TExpr::TKind::Number;
            expr.Number = *number;
            return expr;
        }
        if (Atom.find("::") == std::string_view::npos && Atom[0] != '@') {
            // A key's presence or a name: what the word is depends on where
            // it is used.
            expr.Kind = TExpr::TKind::Word;
            return expr;
        }
        expr.Kind = TExpr::TKind::Path;
        size_t start = 0;
        for (;;) {
            const size_t sep = Atom.find("::", start);
            expr.Segments.emplace_back(Atom.substr(start, sep == std::string_view::npos ? sep : sep - start));
            if (sep == std::string_view::npos) break;
            start = sep + 2;
        }
        std::string& last = expr.Segments.back();
        if (!last.empty() && last[0] == '@') {
            expr.ValueOf = true;
            last.erase(0, 1);
        }
        for (const std::string& segment : expr.Segments)
            if (segment.empty() || segment[0] == '@') return std::nullopt;
        return expr;
    }

    std::string_view FText;
    size_t FPos = 0;
};

// What Evaluate knows; the others are counted as skipped.
constexpr std::array<std::string_view, 40> Evaluable{
    "AlwaysUnencrypted", "ArrayLength",   "ArraySortAscending", "BeforeVersion",    "BitClear",
    "BitSet",            "BitsClear",     "BitsSet",            "Contains",
    "Deprecated",        "Eval",          "Extension",          "FileSize",         "HasProcessColorants",
    "HasSpotColorants",  "Ignore",        "ImplementationDependent", "InKeyMap",    "InNameTree",
    "IsEncryptedWrapper", "IsFieldName",  "IsMeaningful",       "IsPDFTagged",      "IsPDFVersion",
    "IsPresent",         "IsRequired",    "KeyNameIsColorant",  "MustBeDirect",     "MustBeIndirect",
    "Not",               "NotStandard14Font", "NumberOfPages",  "PageProperty",     "RectHeight",
    "RectWidth",         "RequiredValue", "SinceVersion",       "StreamLength",     "StringLength",
    "NoCycle"};

}  // namespace

std::optional<TExpr> ParsePredicate(std::string_view Text) { return TReader(Text).Whole(); }

std::vector<std::string_view> SplitTopLevel(std::string_view Text, char Separator) {
    std::vector<std::string_view> parts;
    int depth = 0;
    bool quoted = false;
    size_t start = 0;
    for (size_t i = 0; i < Text.size(); ++i) {
        const char c = Text[i];
        if (c == '\'') quoted = !quoted;
        if (quoted) continue;
        if (c == '(' || c == '[') ++depth;
        if (c == ')' || c == ']') --depth;
        if (c == Separator && depth == 0) {
            parts.push_back(Text.substr(start, i - start));
            start = i + 1;
        }
    }
    parts.push_back(Text.substr(start));
    return parts;
}

std::string_view StripBrackets(std::string_view Text) {
    if (Text.size() < 2 || Text.front() != '[' || Text.back() != ']') return Text;
    int depth = 0;
    for (size_t i = 0; i < Text.size(); ++i) {
        if (Text[i] == '[') ++depth;
        if (Text[i] == ']' && --depth == 0 && i + 1 != Text.size()) return Text;
    }
    return Text.substr(1, Text.size() - 2);
}

int ParseVersion(std::string_view Text) {
    if (Text.size() != 3 || Text[1] != '.' || Text[0] < '1' || Text[0] > '9' || Text[2] < '0' || Text[2] > '9')
        return 0;
    return (Text[0] - '0') * 10 + (Text[2] - '0');
}

bool IsEvaluable(std::string_view Function) {
    return std::find(Evaluable.begin(), Evaluable.end(), Function) != Evaluable.end();
}

}  // namespace lumerra::objects
