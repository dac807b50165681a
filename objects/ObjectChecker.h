// Objects checked against the Arlington PDF Model: a walk from the trailer
// along the model's links, each object checked once per type it is reached
// as, its keys (or elements) against the type's rows. Findings are told as
// they are found; the counts are kept for --stats.
#pragma once

#include <array>
#include <deque>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "model/ObjectSource.h"
#include "objects/LinkChoice.h"
#include "objects/Model.h"
#include "objects/ObjectFinding.h"
#include "objects/PredicateEval.h"

namespace lumerra {
class TPDFAnalyst;
}

namespace lumerra::objects {

// What the checker needs to know of the file beside its objects.
struct TFileFacts {
    int HeaderVersion = 0;  // 17 for %PDF-1.7; 0 when unknown
    int64_t FileSize = 0;
    int32_t PageCount = 0;
    bool Encrypted = false;
};

// The facts of the file Analyst loaded (FileFacts.cpp).
TFileFacts FactsOf(TPDFAnalyst& Analyst);

struct TObjectStats {
    int Version = 0;             // the version held against: the header's, or the catalog's when higher
    int64_t ObjectsChecked = 0;  // objects (and direct values) checked, once per type
    std::map<std::string, int64_t, std::less<>> Types;  // how often each type was matched
    std::array<int64_t, ObjectCodeCount> Findings{};
    int64_t SecondClassKeys = 0;  // unknown keys with a registered prefix, counted apart
    TPredicateCounts Predicates;
    bool Cut = false;  // the walk stopped at its limit
};

struct TObjectCheckLimits {
    int64_t MaxVisits = 5'000'000;
};

class TObjectChecker {
public:
    using TReport = std::function<void(const TObjectFinding&)>;
    // Asked now and then with the count so far; false stops the walk.
    using TGoOn = std::function<bool(int64_t Checked)>;

    TObjectChecker(const TModel& Model, TObjectSource& Source, TFileFacts Facts, TObjectCheckLimits Limits = {});

    // False when GoOn stopped it.
    bool Run(const TReport& Report, const TGoOn& GoOn = {});
    const TObjectStats& Stats() const { return FStats; }

private:
    // One step of the walk: a key as the file writes it, or a number (an
    // array's element, a number tree's key). Made printable only when a
    // finding is told.
    struct TStep {
        std::string_view Key;
        int64_t Number = 0;
        bool Numbered = false;
    };
    // The path from a revision's trailer; the root's Number is the
    // revision's place in the chain, newest first. Nodes live as long as the checker.
    struct TPathNode {
        const TPathNode* Up = nullptr;
        TStep Step;
        const TValue* Value = nullptr;
    };
    using TPath = const TPathNode*;
    struct TVisit {
        const TValue* Value = nullptr;
        int32_t Type = -1;
        int32_t Object = -1;
        TPath Path = nullptr;
    };
    struct TParents {
        std::array<const TValue*, 4> Values{};
        size_t Count = 0;
    };
    // The type an indirect object was chosen as for one list of link
    // targets, kept: a shared object is reached from many places (every
    // page's /Parent) and is chosen for once.
    struct TKeptChoice {
        const std::vector<TLinkTarget>* Targets = nullptr;
        int32_t Type = -1;
    };

    const TValue* Resolve(const TValue* Value);
    TScope ScopeOf(const TVisit& Visit, const TParents& Parents) const;
    static TParents ParentsOf(const TVisit& Visit);
    static std::string StepText(const TPathNode& Node);
    static std::string PathText(TPath Path);
    TPath Node(TPath Up, TStep Step, const TValue* Value);

    void Check(const TVisit& Visit);
    void CheckDictionary(const TVisit& Visit, TScope& Scope);
    void CheckArray(const TVisit& Visit, TScope& Scope);
    void CheckValue(const TVisit& Visit, TScope& Scope, const TRow& Row, const std::string& Key, TStep Step,
                    const TValue& Raw, const TValue& Value);
    void CheckPossible(const TVisit& Visit, TScope& Scope, const TAlternative& Alternative, const std::string& Key,
                       const TValue& Value);
    void Follow(const TVisit& Visit, const std::vector<TLinkTarget>& Targets, TStep Step, const TValue& Raw,
                const TValue& Value);
    void FollowTree(const TVisit& Visit, const TAlternative& Alternative, TStep Step, const TValue& Raw,
                    const TValue& Tree);
    bool Inherited(const TValue& Object, std::string_view Key);
    // Whether Object is reached as Slot (a type, or a tree) for the first time.
    bool FirstVisit(int32_t Object, int64_t Slot);
    // The type a stream's /Filter names for its decoding parameters reached
    // by Step from Visit; empty when there is none.
    std::string FilterType(const TVisit& Visit, TStep Step);
    bool Holds(const TScope& Scope, const std::optional<TExpr>& Condition, bool Assertion);

    void Tell(TObjectCode Code, const TVisit& Visit, std::string Key, int Version, TMessage Message,
              TPath At = nullptr);

    const TModel& FModel;
    TObjectSource& FSource;
    TFileFacts FFacts;
    TObjectCheckLimits FLimits;
    const TReport* FReport = nullptr;
    std::vector<TValuePtr> FTrailers;  // each revision's, newest first
    TValuePtr FTrailer;                 // the newest
    std::vector<TValuePtr> FObjects;  // by number, once resolved
    std::vector<int32_t> FFirstType;   // by number: the first type (or tree slot) it was checked as
    std::unordered_set<int64_t> FVisited;  // object number and type, past the first
    std::deque<TVisit> FPending;
    std::deque<TPathNode> FNodes;
    std::vector<TKeptChoice> FChoices;  // by object number
    std::vector<int64_t> FTypeCounts;  // visits by type index
    // The keys of each name tree asked about, read once.
    std::unordered_map<const TValue*, std::unordered_set<std::string>> FTreeKeys;  // breadth first: each object is reached by its shortest path
    TObjectStats FStats;
};

}  // namespace lumerra::objects
