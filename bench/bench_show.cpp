// Showing one object of a large document (100,000 objects, 10,000 pages)
// costs what loading its table costs: "show N" is measured next to a load
// alone and next to "info" (a load and its page list) in the same run. The
// counter "vs_load" is how many loads one show costs.
#include <benchmark/benchmark.h>

#include <chrono>
#include <stdexcept>

#include "history/AnalystObjectSource.h"
#include "model/ObjectPath.h"
#include "pdf/ObjectReader.h"
#include "pdf/ExtendedAnalyst.h"
#include "support/DocumentGenerator.h"
#include "syntax/ValueWriter.h"

using namespace lumerra;
using namespace lumerra::bench;

namespace {

using Clock = std::chrono::steady_clock;


void Load(TPDFAnalyst& Analyst) { Analyst.LoadFromFile(DefaultShapeDocument().Path()); }

size_t LoadOnly() {
    TExtendedAnalyst analyst;
    Load(analyst);
    return static_cast<size_t>(analyst.ObjectCount());
}

size_t Info() {
    TExtendedAnalyst analyst;
    Load(analyst);
    TIDList pages;
    analyst.GetPageList(&pages);
    return pages.size();
}

// As "lumerra show FILE 50000": one object, found and written.
size_t ShowOne() {
    TExtendedAnalyst analyst;
    Load(analyst);
    TAnalystObjectSource source(analyst);
    const TWalkResult found = WalkToTarget(source, *ParseShowTarget("50000"));
    if (found.Fault != TWalkFault::None) throw std::runtime_error("object 50000 not found");
    return WrittenValue(*found.Value).size() + static_cast<size_t>(source.Place(50000).Revision);
}

// The same without the revision and the place: only the object.
size_t ShowOneBare() {
    TExtendedAnalyst analyst;
    Load(analyst);
    TObjectReader reader(analyst);
    return WrittenValue(*reader.Object(50000)).size();
}

template <class TRun>
double Seconds(TRun&& Run) {
    const auto start = Clock::now();
    benchmark::DoNotOptimize(Run());
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void ShowOneObject(benchmark::State& State) {
    DefaultShapeDocument();
    double load = 0, info = 0, show = 0, bare = 0;
    for (auto _ : State) {
        load += Seconds(LoadOnly);
        info += Seconds(Info);
        bare += Seconds(ShowOneBare);
        const double one = Seconds(ShowOne);
        show += one;
        State.SetIterationTime(one);
    }
    State.counters["vs_load"] = show / load;
    State.counters["vs_info"] = show / info;
    State.counters["object_only_vs_load"] = bare / load;
}
BENCHMARK(ShowOneObject)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
