#include "check/PageCheck.h"

#include <optional>
#include <unordered_set>

#include "check/ContentChecker.h"
#include "check/ResourceReader.h"
#include "common/Stream.h"
#include "model/PageObjects.h"
#include "model/StreamObject.h"
#include "pdf/StreamDictionary.h"

namespace lumerra::check {

namespace {

// The first step of Steps that cannot be decoded, or null.
const TFilterStep* UndecodableStep(const std::vector<TFilterStep>& Steps) {
    for (const TFilterStep& step : Steps)
        if (!ExtendedFiltersDecodable({step})) return &step;
    return nullptr;
}

}  // namespace

// One page's check: the forms already checked on it, and where findings go.
class TPageChecker::TRun {
public:
    TRun(TPageChecker& Owner, TPageFindings& Findings, int32_t Page)
        : FOwner(Owner), FReader(Owner.FReader), FOnFault(Owner.OnStreamFault), FFindings(Findings), FPage(Page) {}

    void CheckPage(int32_t PageObject) {
        TResourceNames names = PageResourceNames(PageObject);
        FPageNames = &names;
        TContentChecker checker(names, FFindings);
        checker.SetFormVisitor(FormVisitor(0));
        std::vector<TUnread> unread;
        std::vector<TContentPart> parts;
        const std::span<const uint8_t> content = JoinedContent(PageObject, parts, unread);
        checker.Check(content, parts);
        checker.Finish();
        ReportUnread(unread, {});
        CheckPatterns(PageObject);
        CheckAppearances(PageObject);
        FPageNames = &names;
        // A stream not read may use any resource.
        if (unread.empty() && !FPageNamesPartlyUsed) ReportUnused(names, {});
    }

private:
    // The page's content streams decoded and joined, with a line end between
    // two parts: a part ends between tokens.
    std::span<const uint8_t> JoinedContent(int32_t PageObject, std::vector<TContentPart>& Parts,
                                           std::vector<TUnread>& Unread) {
        const TIDList streams = PageContentStreams(FReader, PageObject);
        TMemoryStream& buffer = Buffer(0);
        if (streams.size() == 1) {
            Parts.push_back({0, streams.front()});
            return Decode(streams.front(), buffer, Unread);
        }
        std::vector<uint8_t>& joined = FOwner.FJoined;
        joined.clear();
        for (const int32_t stream : streams) {
            Parts.push_back({static_cast<int64_t>(joined.size()), stream});
            const std::span<const uint8_t> data = Decode(stream, buffer, Unread);
            joined.insert(joined.end(), data.begin(), data.end());
            joined.push_back('\n');
        }
        return joined;
    }

    // The cells of the tiling patterns and the soft masks the page's
    // resources declare, each against its own resources.
    void CheckPatterns(int32_t PageObject) {
        const TValuePtr resources = FReader.Resolve(InheritedAttribute(FReader, PageObject, "Resources"));
        const TValuePtr patterns = FReader.Get(resources, "Pattern");
        if (patterns->IsDictionary())
            for (const auto& [name, value] : patterns->Entries()) {
                if (!value.Is(TValue::TKind::Reference)) continue;
                const int32_t object = value.AsReference().Number;
                const TValuePtr pattern = FReader.Object(object);
                if (!pattern->Is(TValue::TKind::Stream) || !FReader.Get(pattern, "PatternType")->Is(TValue::TKind::Integer) ||
                    FReader.Get(pattern, "PatternType")->AsInteger() != 1)
                    continue;
                CheckDrawing(object, TStreamKind::Pattern, "/" + PrintableName(name));
            }
        CheckGlyphs(resources);
        const TValuePtr states = FReader.Get(resources, "ExtGState");
        if (!states->IsDictionary()) return;
        for (const auto& [name, value] : states->Entries()) {
            const TValuePtr mask = FReader.Get(FReader.Get(states, name), "SMask");
            const TValue* group = mask->IsDictionary() ? mask->Find("G") : nullptr;
            if (group != nullptr && group->Is(TValue::TKind::Reference))
                CheckDrawing(group->AsReference().Number, TStreamKind::SoftMask, "/" + PrintableName(name));
        }
    }

    // The glyph procedures of the Type 3 fonts the page's resources declare,
    // against the font's resources (the page's where it has none).
    void CheckGlyphs(const TValuePtr& Resources) {
        const TValuePtr fonts = FReader.Get(Resources, "Font");
        if (!fonts->IsDictionary()) return;
        for (const auto& [font, value] : fonts->Entries()) {
            const TValuePtr dictionary = FReader.Get(fonts, font);
            if (!dictionary->IsDictionary() || !FReader.Get(dictionary, "Subtype")->IsName("Type3")) continue;
            const TValuePtr procedures = FReader.Get(dictionary, "CharProcs");
            if (!procedures->IsDictionary()) continue;
            const TValuePtr own = FReader.Get(dictionary, "Resources");
            for (const auto& [glyph, procedure] : procedures->Entries())
                if (procedure.Is(TValue::TKind::Reference))
                    CheckDrawing(procedure.AsReference().Number, TStreamKind::Glyph,
                                 "/" + PrintableName(font) + " /" + PrintableName(glyph),
                                 own->IsDictionary() ? own : Resources);
        }
    }

    // Each appearance stream of each annotation: /N, /D and /R, a stream or a
    // dictionary of states.
    void CheckAppearances(int32_t PageObject) {
        const TValuePtr annotations = FReader.Get(FReader.Page(PageObject), "Annots");
        if (!annotations->Is(TValue::TKind::Array)) return;
        for (size_t i = 0; i < annotations->Items().size(); ++i) {
            const TValue& item = annotations->Items()[i];
            const std::string owner = item.Is(TValue::TKind::Reference) ? std::to_string(item.AsReference().Number) : "-";
            const TValuePtr appearance = FReader.Get(FReader.Item(annotations, i), "AP");
            if (!appearance->IsDictionary()) continue;
            for (const char* key : {"N", "D", "R"}) {
                const TValue* entry = appearance->Find(key);
                const std::string label = owner + " /" + key;
                if (entry != nullptr && entry->Is(TValue::TKind::Reference) &&
                    FReader.Object(entry->AsReference().Number)->Is(TValue::TKind::Stream)) {
                    CheckDrawing(entry->AsReference().Number, TStreamKind::Annotation, label);
                    continue;
                }
                const TValuePtr states = FReader.Get(appearance, key);
                if (!states->Is(TValue::TKind::Dictionary)) continue;
                for (const auto& [state, value] : states->Entries())
                    if (value.Is(TValue::TKind::Reference))
                        CheckDrawing(value.AsReference().Number, TStreamKind::Annotation, label + " /" + PrintableName(state));
            }
        }
    }

    // A stream that draws with its own resources (none: it draws with none),
    // from the state a page starts with.
    // Resources, when given, are those it draws with.
    void CheckDrawing(int32_t Object, TStreamKind Kind, const std::string& Name, const TValuePtr& Resources = nullptr) {
        if (!FDrawingsDone.insert(Object).second) return;
        TResourceNames names =
            ReadResourceNames(FReader, Resources != nullptr ? Resources : FReader.Get(FReader.Object(Object), "Resources"));
        FPageNames = &names;
        TContentChecker checker(names, FFindings);
        checker.SetStream(Kind, Name);
        if (Kind == TStreamKind::Glyph) checker.SetGlyph();
        checker.SetFormVisitor(FormVisitor(1));
        std::vector<TUnread> unread;
        checker.Check(FormData(Object, 1, unread), Object);
        checker.Finish();
        for (TUnread& what : unread) {
            TFinding finding;
            finding.Code = TFindingCode::Unchecked;
            finding.Object = what.Object;
            finding.Offset = what.Offset;
            finding.Stream = Kind;
            finding.StreamName = Name;
            finding.Message = std::move(what.Message);
            FFindings.Add(std::move(finding));
        }
    }

    // Pages mostly share one resource dictionary: the names read for the
    // last one serve again while the reader gives the same value (which the
    // checker holds, so that its address stays its own).
    TResourceNames PageResourceNames(int32_t PageObject) {
        const TValuePtr resources = InheritedAttribute(FReader, PageObject, "Resources");
        if (resources != FOwner.FLastResources) {
            FOwner.FLastNames = ReadResourceNames(FReader, resources);
            FOwner.FLastResources = resources;
        }
        return FOwner.FLastNames;
    }

    TContentChecker::TFormVisitor FormVisitor(int Depth) {
        return [this, Depth](const std::string& Name, const TDeclaredResource& Form) { CheckForm(Name, Form.Object, Depth); };
    }

    void CheckForm(const std::string& Name, int32_t Object, int Depth) {
        // Each form once per page, which also ends forms that draw themselves.
        if (Object < 0 || Depth >= MaximumFormDepth || !FFormsDone.insert(Object).second) return;
        const TValuePtr resources = FReader.Get(FReader.Object(Object), "Resources");
        std::optional<TResourceNames> own;
        if (resources->IsDictionary()) own = ReadResourceNames(FReader, resources);
        const std::string form = PrintableName(Name);
        TContentChecker checker(own ? *own : *FPageNames, FFindings, form);
        checker.SetFormVisitor(FormVisitor(Depth + 1));
        std::vector<TUnread> unread;
        checker.Check(FormData(Object, Depth + 1, unread), Object);
        checker.Finish();
        ReportUnread(unread, form);
        if (!unread.empty() && !own) FPageNamesPartlyUsed = true;
        if (own && unread.empty()) ReportUnused(*own, form, Object);
    }

    TMemoryStream& Buffer(int Depth) {
        auto& buffers = FOwner.FBuffers;
        while (buffers.size() <= static_cast<size_t>(Depth)) buffers.push_back(std::make_unique<TMemoryStream>());
        return *buffers[static_cast<size_t>(Depth)];
    }

    // Stream Object decoded into Data (emptied first); what kept it from
    // being decoded whole goes to Unread.
    std::span<const uint8_t> Decode(int32_t Object, TMemoryStream& Data, std::vector<TUnread>& Unread) {
        const auto unread = [&](int64_t Offset, TMessage Message) {
            if (FOnFault) FOnFault(FPage, Object, Message);
            Unread.push_back({Object, Offset, std::move(Message)});
        };
        // Emptied, not freed: the next stream reuses the memory.
        Data.SetSize(0);
        Data.SetPosition(0);
        const TValuePtr stream = FReader.Object(Object);
        if (!stream->Is(TValue::TKind::Stream)) {
            unread(-1, TMessage{TMessageCode::NotAStream, {}});
            return {};
        }
        const std::vector<TFilterStep> steps = StreamFilterSteps(FReader, stream);
        if (const TFilterStep* step = UndecodableStep(steps)) {
            unread(-1, MakeMessage(TMessageCode::StreamFilterUnknown, PrintableName(step->Name)));
            return {};
        }
        TStringList filters;
        TStreamDamage damage;
        try {
            DecodeStreamObject(FReader, Object, filters, Data, &damage);
        } catch (const std::exception& e) {
            unread(Data.Size(), MakeMessage(TMessageCode::StreamUnreadable, MessageOf(e)));
        }
        if (damage.Damaged)
            unread(damage.BytesBefore, damage.BytesBefore > 0
                                           ? MakeMessage(TMessageCode::StreamDamaged, damage.What, damage.BytesBefore)
                                           : MakeMessage(TMessageCode::StreamUnreadable, damage.What));
        return {Data.Memory(), static_cast<size_t>(Data.Size())};
    }

    // Form Object decoded, from the cache or into the buffer of Depth (its
    // own: the caller's stream is still being read).
    std::span<const uint8_t> FormData(int32_t Object, int Depth, std::vector<TUnread>& Unread) {
        auto& forms = FOwner.FForms;
        if (const auto kept = forms.find(Object); kept != forms.end()) {
            for (const TUnread& what : kept->second.Unread) {
                if (FOnFault) FOnFault(FPage, Object, what.Message);
                Unread.push_back(what);
            }
            return kept->second.Data;
        }
        const size_t before = Unread.size();
        const std::span<const uint8_t> data = Decode(Object, Buffer(Depth), Unread);
        if (data.size() > FormCacheBytes - FOwner.FFormBytes) return data;
        FOwner.FFormBytes += data.size();
        TDecodedForm& form = forms[Object];
        form.Data.assign(data.begin(), data.end());
        form.Unread.assign(Unread.begin() + static_cast<std::ptrdiff_t>(before), Unread.end());
        return form.Data;
    }

    void ReportUnread(const std::vector<TUnread>& Unread, const std::string& Form) {
        for (const TUnread& what : Unread) {
            TFinding finding;
            finding.Code = TFindingCode::Unchecked;
            finding.Severity = TSeverity::Error;
            finding.Object = what.Object;
            finding.Form = Form;
            finding.Offset = what.Offset;
            finding.Message = what.Message;
            FFindings.Add(std::move(finding));
        }
    }

    // Object is the form's, -1 for the page.
    void ReportUnused(const TResourceNames& Names, const std::string& Form, int32_t Object = -1) {
        Names.ForEachUnused([&](TResourceCategory Category, const std::string& Name) {
            TFinding finding;
            finding.Code = TFindingCode::UnusedResource;
            finding.Severity = TSeverity::Info;
            finding.Object = Object;
            finding.Form = Form;
            finding.Message =
                MakeMessage(TMessageCode::ResourceUnused, std::string(CategoryKey(Category)), PrintableName(Name));
            FFindings.Add(std::move(finding));
        });
    }

    TPageChecker& FOwner;
    TObjectReader& FReader;
    const TStreamFaultProc& FOnFault;
    TPageFindings& FFindings;
    int32_t FPage;
    TResourceNames* FPageNames = nullptr;
    bool FPageNamesPartlyUsed = false;  // a form that uses the page's names was not read whole
    std::unordered_set<int32_t> FFormsDone;
    std::unordered_set<int32_t> FDrawingsDone;
};

TPageFindings TPageChecker::Check(int32_t Page, int32_t PageObject) {
    TPageFindings findings(Page, FLimit);
    TRun(*this, findings, Page).CheckPage(PageObject);
    return findings;
}

bool CheckPages(TObjectReader& Reader, const TIDList& Pages, int32_t First, int32_t Last,
                const std::function<void(const TPageFindings&)>& OnPage, const std::function<bool(int32_t Done)>& KeepGoing,
                const TStreamFaultProc& OnStreamFault) {
    TPageChecker checker(Reader);
    checker.OnStreamFault = OnStreamFault;
    for (int32_t page = First; page <= Last && page <= static_cast<int32_t>(Pages.size()); ++page) {
        if (KeepGoing && !KeepGoing(page - First)) return false;
        OnPage(checker.Check(page, Pages[static_cast<size_t>(page - 1)]));
    }
    return true;
}

}  // namespace lumerra::check
