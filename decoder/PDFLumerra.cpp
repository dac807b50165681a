#include "decoder/PDFLumerra.h"

#include <algorithm>
#include <cstdlib>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "common/OutputFile.h"
#include "common/SpillStream.h"
#include "decoder/ModelResources.h"
#include "decoder/StreamPrefetcher.h"
#include "filters/FilterChain.h"
#include "pdf/ObjectReader.h"
#include "model/PageObjects.h"
#include "model/StreamObject.h"
#include "pdf/ObjectScanner.h"
#include "pdf/StreamData.h"

namespace lumerra {

namespace {

const char* const MsgNil = "nilは代入できません。";
const char* const MsgUnusable = "対応できない形式です。";
const char* const MsgBadPages = "ページ番号の指定が不正です。";

const std::string Gap = "\n\n";
const std::string Separator = "% -------------------------------------------------------------------\n";
const std::string ClosingSeparator = Separator + "\n";

// A page's form children are collected up to this many; a form graph without
// cycles can still have exponentially many paths.
constexpr int32_t MaximumFormChildren = 10000;
// ... and while they cost at most this many tokens and entries, since a form
// with large resources can be reached along many paths too.
constexpr int64_t MaximumFormWork = 2000000;

bool StartsWithNonZeroDigit(const std::string& token) { return token[0] >= '1' && token[0] <= '9'; }

void Write(TStream& S, const std::string& text) { S.WriteBuffer(text.data(), static_cast<int32_t>(text.size())); }

std::string PageHead(int32_t p, int32_t n) {
    return "%  Page " + std::to_string(p) + "/" + std::to_string(n);
}

std::string FilterLine(const TStringList& filters) {
    std::string line = "%  Used Filter : [ ";
    for (const std::string& name : filters) line += name + " ";
    return line + "]\n";
}

std::string SizeLine(int32_t size) { return "%  DecodeSize  : " + FormatThousands(size) + " Byte\r\n"; }

// The progress position after page index i of a run that ends at Last,
// rounded to the nearest integer; -1 when Last - 1 is 0.
int32_t ProgressPosition(int32_t i, int32_t Last) {
    const int64_t d = int64_t{Last} - 1;
    if (d == 0) return -1;
    const int64_t n = int64_t{i} * 100;
    const bool negative = (n < 0) != (d < 0);
    const int64_t q = (std::abs(n) * 2 + std::abs(d)) / (std::abs(d) * 2);
    return static_cast<int32_t>(negative ? -q : q);
}

}  // namespace

// What a scan of a page-tree node or a form found: where its first
// /Resources value stands and, for a node climbed for inheritance, the
// /Parent it names before "endobj".
struct TNodeScan {
    static constexpr int32_t Unknown = -2;
    int32_t ResourcesAt = -1;  // the position just after the key; -1 without one
    int32_t Parent = -1;
    int32_t Owner = Unknown;   // the node whose resources a climb from here uses
};

class TScanCache {
public:
    // Keyed by object number * 2 + 1 for climbing scans (which read
    // /Parent), * 2 for form scans (which do not).
    std::unordered_map<int64_t, TNodeScan> Nodes;
    std::unordered_map<int32_t, std::string> Subtypes;
    // Form collection work done so far, against the decoder's budget: a heavy
    // page listed again and again in the page tree must not take hours.
    int64_t FormWorkDone = 0;
};

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

TPDFLumerra::TPDFLumerra(TPDFAnalyst* Analyst)
    : FAnalyst(Analyst), FScanCache(std::make_unique<TScanCache>()), FStreamBuffer(std::make_unique<TSpillStream>()) {
    if (Analyst == nullptr) throw Exception(MsgNil);
    // Extended reading decrypts what it could open; nothing else reads encrypted files.
    if ((Analyst->Encrypted() && Analyst->Security() == nullptr) || Analyst->Failed()) throw Exception(MsgUnusable);
    if (Analyst->ExtendedReading()) FObjects = std::make_unique<TObjectReader>(*Analyst);
}

TPDFLumerra::~TPDFLumerra() = default;

TPageResource& TPDFLumerra::CollectPageResources(int32_t P) {
    TPageResource& R = FPageResources.Add();
    TPositionKeeper keeper(*FAnalyst->Stream());
    if (FObjects) {
        CollectModelResources(*FObjects, P, R);
        return R;
    }
    TResourceCollector(*FAnalyst, *FScanCache, R).Collect(P, FormWorkBudget - FScanCache->FormWorkDone);
    return R;
}

void TPDFLumerra::GetPageContents(int32_t P, TIDList& L) {
    TStream& S = *FAnalyst->Stream();
    TPositionKeeper keeper(S);
    if (FObjects) {
        const TIDList streams = PageContentStreams(*FObjects, P);
        L.insert(L.end(), streams.begin(), streams.end());
        return;
    }
    TObjectScanner scan = TObjectScanner::OpenObject(*FAnalyst, P, PageKeyScan);
    scan.Run([&](const TToken& token) {
        if (!token.Is("/Contents")) return TScanAction::Default;
        FAnalyst->ReadIDList(scan.Stream(), L);
        return TScanAction::Stop;
    });
}

int32_t TPDFLumerra::DecodeStreamObject(int32_t N, TStringList& F, TStream& D) {
    FLastDamage = {};
    const int32_t start = D.Position();
    // A reference to an object the file does not hold is a null stream.
    if (!FAnalyst->HasObject(N)) return 0;
    TStream& S = *FAnalyst->Stream();
    TPositionKeeper keeper(S);
    if (FObjects) return lumerra::DecodeStreamObject(*FObjects, N, F, D, &FLastDamage);
    TObjectScanner scan = TObjectScanner::OpenObject(*FAnalyst, N, StreamObjectScan);
    int32_t length = 0;
    scan.Run([&](const TToken& token) {
        if (token.Is("/Length")) {
            length = FAnalyst->ReadIntegerValue(S);
        } else if (token.Is("/Filter")) {
            FAnalyst->ReadNameList(S, F);
        } else if (token.Is("stream")) {
            ReadStreamData(S, D, length, F, &FLastDamage);
            // Data that an unknown filter left undecoded is passed over by its
            // length instead of being read as tokens, where a stray "(" would
            // run the scan to the end of the file.
            if (!FiltersSupported(F)) SkipData(S, length);
        } else {
            return TScanAction::Default;
        }
        return TScanAction::Handled;
    });
    return D.Position() - start;
}

int32_t TPDFLumerra::WriteCommentedPage(int32_t P, TStream& O, int32_t PageNumber) {
    return WritePage(P, CollectPageResources(P), O, PageNumber, true);
}

int32_t TPDFLumerra::WritePlainPage(int32_t P, TStream& O) { return WritePlainPage(P, CollectPageResources(P), O); }

int32_t TPDFLumerra::DecodeNextStream(int32_t N, TStringList& F, TStream& D) {
    if (FAhead != nullptr) {
        TPrefetchedStream& stream = TakeDecodedAhead(N, F, &D);
        stream.Data->SetPosition(0);
        return D.CopyFrom(*stream.Data, stream.Data->Size());
    }
    const int32_t size = DecodeStreamObject(N, F, D);
    if (FLastDamage.Damaged && OnDamagedStream) OnDamagedStream(FCurrentPage, N, FLastDamage);
    return size;
}

TPrefetchedStream& TPDFLumerra::TakeDecodedAhead(int32_t N, TStringList& F, TStream* Partial) {
    TPrefetchedStream& stream = FAhead->NextStream(N);
    F.insert(F.end(), stream.Filters.begin(), stream.Filters.end());
    if (stream.Error) {
        // As when one thread decodes straight into the output.
        if (Partial != nullptr && stream.Data) {
            stream.Data->SetPosition(0);
            Partial->CopyFrom(*stream.Data, stream.Data->Size());
        }
        std::rethrow_exception(stream.Error);
    }
    if (stream.Damage.Damaged && OnDamagedStream) OnDamagedStream(FCurrentPage, N, stream.Damage);
    return stream;
}

const TIDList& TPDFLumerra::PageContents(int32_t P, TIDList& Read) {
    if (FAhead != nullptr) return FAhead->NextPageContents(P);
    GetPageContents(P, Read);
    return Read;
}

int32_t TPDFLumerra::WritePage(int32_t P, const TPageResource& R, TStream& O, int32_t PageNumber, bool WithComments) {
    if (!WithComments) return WritePlainPage(P, R, O);
    const int32_t start = O.Position();
    TStringList filters;
    TIDList contents;
    TSpillStream& buffer = *FStreamBuffer;
    const std::string head = PageHead(PageNumber, FAnalyst->PageCount());

    Write(O, Gap + Separator + head + " - Resource\n");
    R.WriteUsedResources(O);
    if (R.FormLimitReached)
        Write(O, "%  XObject Forms : only the first " + FormatThousands(R.ChildCount()) +
                     " forms of this page are decoded\n");

    // Each stream is decoded whole first, so that its size can precede it.
    auto writeStream = [&](int32_t object, const std::string& sectionHead, const TPageResource* resources) {
        // Streams decoded ahead are written from where the worker left them.
        TStream* data = &buffer;
        int32_t size;
        if (FAhead != nullptr) {
            TPrefetchedStream& ahead = TakeDecodedAhead(object, filters, nullptr);
            data = ahead.Data.get();
            size = ahead.Data->Size();
        } else {
            size = DecodeNextStream(object, filters, buffer);
        }
        data->SetPosition(0);
        Write(O, Separator + sectionHead);
        if (resources != nullptr) resources->WriteUsedResources(O);
        Write(O, FilterLine(filters) + SizeLine(size) + ClosingSeparator);
        O.CopyFrom(*data, size);
        buffer.Clear();
        filters.clear();
    };

    for (int32_t i = 0; i < R.ChildCount(); ++i) {
        const TPageChildResourceList& child = R.GetChild(i);
        writeStream(child.ObjectNumber, head + " - XObject Resource ( " + child.Name + " = SubType is Form)\n",
                    &child.Resources);
        Write(O, Gap);
    }

    const TIDList& list = PageContents(P, contents);
    const int32_t m = static_cast<int32_t>(list.size());
    for (int32_t j = 1; j <= m; ++j) {
        if (j > 1) Write(O, Gap);
        writeStream(list[static_cast<size_t>(j - 1)],
                    head + " - Contents " + std::to_string(j) + "/" + std::to_string(m) + "\n", nullptr);
    }
    return O.Position() - start;
}

int32_t TPDFLumerra::WritePlainPage(int32_t P, const TPageResource& R, TStream& O) {
    const int32_t start = O.Position();
    TStringList filters;
    TIDList contents;
    auto writeStream = [&](int32_t object) {
        Write(O, Gap);
        DecodeNextStream(object, filters, O);
        Write(O, Gap);
        filters.clear();
    };
    for (int32_t i = 0; i < R.ChildCount(); ++i) writeStream(R.GetChild(i).ObjectNumber);
    for (const int32_t content : PageContents(P, contents)) writeStream(content);
    return O.Position() - start;
}

void TPDFLumerra::DecodeToFile(const std::string& FileName, int32_t First, int32_t Last, bool WithComments,
                               const TDecodeProgressProc& Progress, bool& Cancel) {
    TOutputFile output(FileName, FAnalyst->Stream());
    if (DecodeToStream(output.Stream(), First, Last, WithComments, Progress, Cancel)) output.Commit();
}

bool TPDFLumerra::WritePagesInTurn(const TIDList& Pages, int32_t First, int32_t Last, bool WithComments,
                                   TStream& Output, const TAfterPage& AfterPage) {
    for (int32_t i = First - 1; i <= Last - 1; ++i) {
        const int32_t page = Pages[static_cast<size_t>(i)];
        FCurrentPage = i + 1;
        WritePage(page, CollectPageResources(page), Output, i + 1, WithComments);
        // Pages that share large resources must not add up in memory.
        ReleasePageResources();
        if (AfterPage(i)) return true;
    }
    return false;
}

bool TPDFLumerra::DecodeToStream(TStream& Output, int32_t First, int32_t Last, bool WithComments,
                                 const TDecodeProgressProc& Progress, bool& Cancel) {
    bool cancelled = false;
    try {
        TIDList pages;
        FAnalyst->GetPageList(&pages);
        if (First < 1 || static_cast<int64_t>(pages.size()) < Last) throw Exception(MsgBadPages);
        if (WithComments) Write(Output, "% Decode File : " + ExtractFileName(FAnalyst->FileName()));
        // After each page: its progress, then a look for a cancel request.
        const TAfterPage afterPage = [&](int32_t i) {
            if (!Progress) return false;
            Progress(0, 100, ProgressPosition(i, Last), false);
            const bool escape = EscapeKeyQuery && EscapeKeyQuery();
            return escape || Cancel;
        };
        cancelled = Threads > 1 ? WritePagesInParallel(pages, First, Last, WithComments, Output, afterPage)
                                : WritePagesInTurn(pages, First, Last, WithComments, Output, afterPage);
    } catch (...) {
        if (Progress) Progress(0, 100, 100, true);
        throw;
    }
    if (Progress) Progress(0, 100, 100, true);
    if (cancelled) Cancel = true;
    return !cancelled;
}

}  // namespace lumerra
