// Parsing livery lists of 1,000 to 100,000 records. The parser walks the text with positions,
// so its time grows linearly; for comparison, the walk that cuts a shrinking copy of the text
// (quadratic) is timed on the smaller sizes.
//
// Run: build-*/bench/catalogue_bench  (add --benchmark_filter=Positions for the linear one only)

#include "online/Catalogue.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

std::string liveryList(int records)
{
    std::string text;
    for (int i = 0; i < records; ++i) {
        const std::string n = std::to_string(i);
        text += "KZQ 737-800 livery number " + n + "&&http://liveries.example/zips/kzq737_" + n +
                ".zip;;http://liveries.example/pics/kzq737_" + n + ".jpg!!\r\n";
    }
    return text;
}

void ParseWithPositions(benchmark::State& state)
{
    const std::string text = liveryList(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto records = hx::parseLiveryList(text);
        benchmark::DoNotOptimize(records.data());
    }
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    state.counters["records/s"] = benchmark::Counter(static_cast<double>(state.range(0)),
                                                     benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(ParseWithPositions)
    ->Arg(1'000)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// The old way: every record is cut off the front of a working copy.
void ParseByCuttingACopy(benchmark::State& state)
{
    const std::string text = liveryList(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::string copy = text;
        std::size_t count = 0;
        while (copy.find("&&") != std::string::npos) {
            std::string name = copy.substr(0, copy.find("&&"));
            benchmark::DoNotOptimize(name.data());
            ++count;
            const auto end = copy.find("!!");
            copy.erase(0, end == std::string::npos ? copy.size() : end + 4);
        }
        benchmark::DoNotOptimize(count);
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(ParseByCuttingACopy)
    ->Arg(1'000)
    ->Arg(10'000)
    ->Arg(30'000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oNSquared);

} // namespace

BENCHMARK_MAIN();
