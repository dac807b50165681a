#include "decoder/ResourceCollector.h"

#include <algorithm>
#include <unordered_set>
#include <vector>

#include "pdf/ObjectScanner.h"

namespace lumerra {

namespace {

// A page's form children are collected up to this many; a form graph without
// cycles can still have exponentially many paths.
constexpr int32_t MaximumFormChildren = 10000;
// ... and while they cost at most this many tokens and entries, since a form
// with large resources can be reached along many paths too.
constexpr int64_t MaximumFormWork = 2000000;

bool StartsWithNonZeroDigit(const std::string& token) { return token[0] >= '1' && token[0] <= '9'; }

// The scans of one page's resources, sharing the page's record.
class TResourceCollector {
public:
    TResourceCollector(TPDFAnalyst& Analyst, TScanCache& Cache, TPageResource& Page)
        : FAnalyst(Analyst), FCache(Cache), S(*Analyst.Stream()), FPage(Page) {}

    // FormWorkLeft: what collecting forms may still cost in this run.
    void Collect(int32_t P, int64_t FormWorkLeft) {
        // The page's own /Resources, or those of the nearest ancestor that has
        // the key.
        const int32_t owner = ResourceOwner(P);
        if (owner != -1) ReadResourcesValue(owner, Scan(owner, true).ResourcesAt, FPage);
        const int64_t start = FWork;
        CollectForms(std::min(MaximumFormWork, FormWorkLeft));
        FCache.FormWorkDone += FWork - start;
    }

private:
    // Every token the collector reads counts against the form budget.
    TObjectScanner Open(int32_t N, const TScanOptions& Options) {
        TObjectScanner scan = TObjectScanner::OpenObject(FAnalyst, N, Options);
        scan.CountInto(FWork);
        return scan;
    }
    // A scan from where In stands, inside object Object.
    TObjectScanner Here(TStream& In, const TScanOptions& Options, int32_t Object) {
        TObjectScanner scan(FAnalyst, In, Options, Object);
        scan.CountInto(FWork);
        return scan;
    }

    // Scans node N up to its first /Resources or "endobj", once per decoder.
    TNodeScan& Scan(int32_t N, bool Climbing) {
        const int64_t key = int64_t{N} * 2 + (Climbing ? 1 : 0);
        if (const auto known = FCache.Nodes.find(key); known != FCache.Nodes.end()) return known->second;
        TNodeScan result;
        {
            TPositionKeeper keeper(S);
            TObjectScanner scan = Open(N, ResourceOwnerScan);
            scan.Run([&](const TToken& token) {
                if (token.Is("/Resources")) {
                    // Where the value stands in the object's bytes: the file,
                    // or its own bytes when it is kept in an object stream.
                    result.ResourcesAt = scan.Stream().Position();
                    result.Parent = -1;
                    return TScanAction::Stop;
                }
                if (Climbing && token.Is("/Parent")) {
                    const std::string& value = scan.Next().Text;
                    if (FAnalyst.IsValidIDText(value)) result.Parent = StrToIntDef(value, -1);
                    return TScanAction::Handled;
                }
                return TScanAction::Default;
            });
        }
        return FCache.Nodes.emplace(key, result).first->second;
    }

    // The node whose /Resources page P uses: P or the nearest ancestor with
    // the key, -1 when none has it. A /Parent chain that loops ends at a node
    // already seen. What a climb finds is kept for every node it passed, so
    // pages under the same nodes do not climb again.
    int32_t ResourceOwner(int32_t P) {
        std::vector<int32_t> path;
        std::unordered_set<int32_t> visited;
        int32_t owner = -1;
        for (int32_t node = P; node != -1 && visited.insert(node).second;) {
            const TNodeScan& scan = Scan(node, true);
            if (scan.Owner != TNodeScan::Unknown) {
                owner = scan.Owner;
                break;
            }
            path.push_back(node);
            if (scan.ResourcesAt != -1) {
                owner = node;
                break;
            }
            node = scan.Parent;
        }
        for (const int32_t node : path) Scan(node, true).Owner = owner;
        return owner;
    }

    // After a "<" that opens a dictionary, or the ">" that closes a nested
    // one: the second bracket of "<<" (">>") is passed over. Any other byte
    // there, as after the "<" of a hexadecimal string, is passed over all the
    // same and what follows is read as the dictionary would be: the reports
    // of damaged files have always been made so.
    static void PassSecondBracket(TObjectScanner& Scan, char Bracket) {
        if (!Scan.TakeSecond(Bracket)) Scan.PassByte();
    }

    // The value of object Owner's /Resources key, which stands at At: an
    // inline dictionary or a reference; anything else (null) records nothing.
    void ReadResourcesValue(int32_t Owner, int32_t At, TPageResource& R) {
        TPositionKeeper keeper(S);
        TObjectScanner owner = TObjectScanner::OpenObject(FAnalyst, Owner, ValueScan);
        TStream& in = owner.Stream();
        in.SetPosition(At);
        TObjectScanner value = Here(in, ValueScan, Owner);
        const std::string token = value.Next().Text;
        if (token == "<") {
            PassSecondBracket(value, '<');
            ReadResourceDict(in, R, Owner);
        } else if (const int32_t object = ReferencedObject(token); object != -1) {
            ReadResourceObject(object, R);
        }
    }

    // The object that a reference's first token names; -1 for any other
    // value (null, a name, a number outside the table).
    int32_t ReferencedObject(const std::string& token) const {
        if (!StartsWithNonZeroDigit(token)) return -1;
        const int32_t object = StrToIntDef(token, -1);
        return FAnalyst.IsValidID(object) ? object : -1;
    }

    // A resources dictionary held in object N. An object that holds no
    // dictionary records nothing (rather than taking the next object's).
    void ReadResourceObject(int32_t N, TPageResource& R) {
        if (!FAnalyst.HasObject(N)) return;
        TPositionKeeper keeper(S);
        TObjectScanner scan = Open(N, ResourcesObjectScan);
        if (scan.Run() != TScanEnd::Open) return;
        PassSecondBracket(scan, '<');
        ReadResourceDict(scan.Stream(), R, N);
    }

    // In stands just after the "<<" of a resources dictionary in object
    // Owner. Nested dictionaries are passed over one level deep: the first
    // ">" inside one ends the skip.
    void ReadResourceDict(TStream& In, TPageResource& R, int32_t Owner) {
        TPositionKeeper keeper(In);
        TObjectScanner scan = Here(In, DictionaryScan, Owner);
        scan.Run([&](const TToken& token) {
            if (TPDFResourceList* list = CategoryList(R, token.Text)) {
                ReadCategoryDict(In, *list, Owner);
                return TScanAction::Handled;
            }
            if (token.Is("<")) {
                TObjectScanner nested = Here(In, DictionaryScan, Owner);
                nested.Run();
                PassSecondBracket(nested, '>');
                return TScanAction::Handled;
            }
            return TScanAction::Default;
        });
    }

    // In stands just after a category key; it is put back there.
    void ReadCategoryDict(TStream& In, TPDFResourceList& L, int32_t Owner) {
        TPositionKeeper keeper(In);
        TObjectScanner value = Here(In, ValueScan, Owner);
        const std::string token = value.Next().Text;
        if (token == "<") {
            PassSecondBracket(value, '<');
            TObjectScanner entries = Here(In, DictionaryScan, Owner);
            entries.Run([&](const TToken& key) {
                if (key.Kind != TTokenKind::Name) return TScanAction::Default;
                ReadEntry(entries, key.Text, L);
                return TScanAction::Handled;
            });
            return;
        }
        if (const int32_t object = ReferencedObject(token); object != -1) ReadCategoryObject(object, L);
    }

    // Every key of object N with its value.
    void ReadCategoryObject(int32_t N, TPDFResourceList& L) {
        if (!FAnalyst.HasObject(N)) return;
        TPositionKeeper keeper(S);
        TObjectScanner scan = Open(N, CategoryObjectScan);
        scan.Run([&](const TToken& key) {
            if (key.Kind != TTokenKind::Name) return TScanAction::Default;
            ReadEntry(scan, key.Text, L);
            return TScanAction::Handled;
        });
    }

    // Key K's value: recorded when it is an object number; the two tokens
    // after it (generation and R) are dropped whatever it was.
    void ReadEntry(TObjectScanner& Scan, const std::string& K, TPDFResourceList& L) {
        if (const int32_t object = StrToIntDef(Scan.Next().Text, -1); FAnalyst.IsValidID(object)) L.Add(K, object);
        Scan.Next();
        Scan.Next();
    }

    // The first telling key of XObject N decides its subtype.
    const std::string& GetXObjectSubtype(int32_t N) {
        if (const auto known = FCache.Subtypes.find(N); known != FCache.Subtypes.end()) return known->second;
        return FCache.Subtypes.emplace(N, ScanXObjectSubtype(N)).first->second;
    }

    std::string ScanXObjectSubtype(int32_t N) {
        if (!FAnalyst.HasObject(N)) return {};
        TPositionKeeper keeper(S);
        TObjectScanner scan = Open(N, XObjectSubtypeScan);
        std::string subtype;
        scan.Run([&](const TToken& token) {
            const std::string_view key = token.Text;
            if (key == "/Subtype")
                subtype = scan.Next().Text;
            else if (key == "/Width" || key == "/Height" || key == "/BitsPerComponent")
                subtype = "/Image";
            else if (key == "/BBox" || key == "/FormType" || key == "/Matrix" || key == "/Resources")
                subtype = "/Form";
            else
                return TScanAction::Default;
            return TScanAction::Stop;
        });
        return subtype;
    }

    // Every form reachable from the page becomes a child of the page, in
    // depth-first pre-order. A form already on the current path (a cycle) is
    // not followed again. Collection stops at MaximumFormChildren forms, or
    // when it has read budget tokens and entries: one heavy form
    // reached along many paths must not fill memory or take hours.
    void CollectForms(int64_t budget) {
        struct TFrame {
            const TPDFResourceList* XObjects;
            int32_t Next;
            int32_t Form;
        };
        const int64_t start = FWork;
        std::vector<TFrame> path{{&FPage.XObjects, 0, -1}};
        std::unordered_multiset<int32_t> onPath;
        while (!path.empty()) {
            TFrame& top = path.back();
            if (top.Next == top.XObjects->Count()) {
                if (top.Form != -1) onPath.erase(onPath.find(top.Form));
                path.pop_back();
                continue;
            }
            if (++FWork - start > budget) {
                FPage.FormLimitReached = true;
                return;
            }
            const int32_t i = top.Next++;
            const int32_t form = top.XObjects->GetObjectNumber(i);
            if (onPath.count(form) != 0 || GetXObjectSubtype(form) != "/Form") continue;
            if (FPage.ChildCount() == MaximumFormChildren) {
                FPage.FormLimitReached = true;
                return;
            }
            TPageChildResourceList& child = FPage.AddChild(top.XObjects->GetName(i), form);
            const TNodeScan& scan = Scan(form, false);
            if (scan.ResourcesAt != -1) ReadResourcesValue(form, scan.ResourcesAt, child.Resources);
            onPath.insert(form);
            path.push_back({&child.Resources.XObjects, 0, form});
        }
    }

    static TPDFResourceList* CategoryList(TPageResource& R, std::string_view key) {
        if (key == "/Font") return &R.Fonts;
        if (key == "/XObject") return &R.XObjects;
        if (key == "/ColorSpace") return &R.ColorSpaces;
        if (key == "/ExtGState") return &R.ExtGStates;
        if (key == "/Pattern") return &R.Patterns;
        if (key == "/Properties") return &R.Properties;
        if (key == "/Shading") return &R.Shadings;
        return nullptr;
    }

    TPDFAnalyst& FAnalyst;
    TScanCache& FCache;
    TStream& S;
    TPageResource& FPage;
    int64_t FWork = 0;  // tokens read and entries looked at
};

}  // namespace

void CollectScannedResources(TPDFAnalyst& Analyst, TScanCache& Cache, int32_t P, TPageResource& Page,
                             int64_t FormWorkLeft) {
    TResourceCollector(Analyst, Cache, Page).Collect(P, FormWorkLeft);
}

}  // namespace lumerra
