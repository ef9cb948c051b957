// Removing a livery from aircraft.cfg files of 10, 1,000 and 10,000 entries. The cost should
// grow with the size of the file and no faster: compare "ns_per_entry" (and bytes_per_second)
// across the sizes; they stay flat when the work is linear.
//
//   cmake --build BUILD --target remove_bench && BUILD/bench/remove_bench
//
// BM_RemoveLivery runs the whole Remove button on real files (read, cut, renumber, atomic write,
// texture folder emptied and removed, livery list read again); BM_CutAndRenumber is the text
// work alone, without the disk.

#include "aircraftcfg/Removal.h"
#include "support/TempDir.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

class SilentFeedback : public hx::Feedback {
public:
    void showMessage(const std::string& text) override { last = text; }
    std::string last;
};

std::string configText(int entries)
{
    std::string text;
    for (int i = 0; i < entries; ++i) {
        const std::string n = std::to_string(i);
        text += "[fltsim." + n + "]\r\ntitle=KZQ A320 Livery " + n +
                "\r\nsim=KZQ_A320\r\nmodel=\r\npanel=\r\nsound=\r\ntexture=L" + n +
                "\r\nkb_checklists=KZQ_A320_check\r\nui_manufacturer=KZQ\r\nui_type=A320"
                "\r\nui_variation=Livery " +
                n + "\r\nproductfolder=A320\r\ndescription=Livery " + n + " of the A320\r\n\r\n";
    }
    return text + "[General]\r\natc_type=AIRBUS\r\natc_model=A320\r\nperformance=\r\n";
}

void BM_RemoveLivery(benchmark::State& state)
{
    const int entries = static_cast<int>(state.range(0));
    const int removed = entries / 2;
    hx::test::TempDir dir;
    const hx::Simulator sim{hx::SimKind::FSX, dir / "FSX"};
    const std::string product = dir / "FSX/SimObjects/Airplanes/KZQ_A320";
    const std::string cfg = product + "/aircraft.cfg";
    const std::string texture = product + "/texture.L" + std::to_string(removed);
    const std::string text = configText(entries);
    hx::test::writeFile(cfg, text);

    SilentFeedback feedback;
    hx::RemovalPanel panel;
    panel.openPanel(sim, feedback);
    panel.productChosen(sim, 0, feedback);
    for (auto _ : state) {
        state.PauseTiming();
        hx::test::writeFile(cfg, text);
        hx::test::writeFile(texture + "/livery.bmp", "BM");
        hx::test::writeFile(texture + "/thumbnail.jpg", "jpg");
        // The file is whole again, so the list must be too: a removal checks that they match.
        panel.listLiveries(sim, feedback);
        panel.selectLivery(removed);
        state.ResumeTiming();
        if (panel.removeSelectedLivery(sim, feedback) != hx::Outcome::Completed)
            state.SkipWithError(feedback.last.c_str());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    state.counters["entries"] = entries;
    state.counters["file_kB"] = static_cast<double>(text.size()) / 1024.0;
    state.counters["ns_per_entry"] = benchmark::Counter(
        static_cast<double>(entries) * 1e-9,
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_CutAndRenumber(benchmark::State& state)
{
    const int entries = static_cast<int>(state.range(0));
    const std::string text = configText(entries);
    for (auto _ : state) {
        hx::EntrySpan span;
        hx::findEntry(text, entries / 2, span);
        benchmark::DoNotOptimize(hx::cutEntry(text, span));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    state.counters["entries"] = entries;
    state.counters["ns_per_entry"] = benchmark::Counter(
        static_cast<double>(entries) * 1e-9,
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

} // namespace

BENCHMARK(BM_RemoveLivery)
    ->Arg(10)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime(); // the fsync of the atomic write is waiting, not CPU
BENCHMARK(BM_CutAndRenumber)->Arg(10)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
