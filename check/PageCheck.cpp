#include "check/PageCheck.h"

#include <optional>
#include <unordered_set>

#include "check/ContentChecker.h"
#include "check/ResourceReader.h"
#include "common/Stream.h"
#include "model/PageObjects.h"
#include "model/StreamObject.h"

namespace lumerra::check {

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
        TMemoryStream& data = Buffer(0);
        for (const int32_t stream : PageContentStreams(FReader, PageObject)) checker.Check(Decode(stream, data), stream);
        checker.Finish();
        ReportUnused(names, {});
    }

private:
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
        TContentChecker checker(own ? *own : *FPageNames, FFindings, PrintableOperator(Name));
        checker.SetFormVisitor(FormVisitor(Depth + 1));
        checker.Check(FormData(Object, Depth + 1), Object);
        checker.Finish();
        if (own) ReportUnused(*own, PrintableOperator(Name));
    }

    TMemoryStream& Buffer(int Depth) {
        auto& buffers = FOwner.FBuffers;
        while (buffers.size() <= static_cast<size_t>(Depth)) buffers.push_back(std::make_unique<TMemoryStream>());
        return *buffers[static_cast<size_t>(Depth)];
    }

    std::span<const uint8_t> Decode(int32_t Object, TMemoryStream& Data, std::vector<TMessage>* Faults = nullptr) {
        const auto fault = [&](const TMessage& What) {
            if (FOnFault) FOnFault(FPage, Object, What);
            if (Faults != nullptr) Faults->push_back(What);
        };
        // Emptied, not freed: the next stream reuses the memory.
        Data.SetSize(0);
        Data.SetPosition(0);
        TStringList filters;
        TStreamDamage damage;
        try {
            DecodeStreamObject(FReader, Object, filters, Data, &damage);
        } catch (const std::exception& e) {
            fault(MessageOf(e));
        }
        if (damage.Damaged) fault(damage.What);
        return {Data.Memory(), static_cast<size_t>(Data.Size())};
    }

    // Form Object decoded, from the cache or into the buffer of Depth (its
    // own: the caller's stream is still being read).
    std::span<const uint8_t> FormData(int32_t Object, int Depth) {
        auto& forms = FOwner.FForms;
        if (const auto kept = forms.find(Object); kept != forms.end()) {
            if (FOnFault)
                for (const TMessage& what : kept->second.Faults) FOnFault(FPage, Object, what);
            return kept->second.Data;
        }
        std::vector<TMessage> faults;
        const std::span<const uint8_t> data = Decode(Object, Buffer(Depth), &faults);
        if (data.size() > FormCacheBytes - FOwner.FFormBytes) return data;
        FOwner.FFormBytes += data.size();
        TDecodedForm& form = forms[Object];
        form.Data.assign(data.begin(), data.end());
        form.Faults = std::move(faults);
        return form.Data;
    }

    void ReportUnused(const TResourceNames& Names, const std::string& Form) {
        Names.ForEachUnused([&](TResourceCategory Category, const std::string& Name) {
            TFinding finding;
            finding.Code = TFindingCode::UnusedResource;
            finding.Severity = TSeverity::Info;
            finding.Form = Form;
            finding.Message =
                MakeMessage(TMessageCode::ResourceUnused, std::string(CategoryKey(Category)), PrintableOperator(Name));
            FFindings.Add(std::move(finding));
        });
    }

    TPageChecker& FOwner;
    TObjectReader& FReader;
    const TStreamFaultProc& FOnFault;
    TPageFindings& FFindings;
    int32_t FPage;
    TResourceNames* FPageNames = nullptr;
    std::unordered_set<int32_t> FFormsDone;
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
