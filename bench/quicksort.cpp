// The library's stable quick sort against std::stable_sort with the same
// comparison (a three-way function called through a pointer, as the exports
// call the caller's), on 1,000,000 random 32-bit values and on a sorted array.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "convert/core/quicksort.h"

namespace {

constexpr size_t kCount = 1000000;

__attribute__((noinline)) int compareValues(uint32_t a, uint32_t b) { return a < b ? -1 : a > b ? 1 : 0; }
int (*volatile g_compare)(uint32_t, uint32_t) = compareValues;

const std::vector<uint32_t>& input(bool sorted) {
    static const std::vector<uint32_t> random = [] {
        std::mt19937 rng(12345);
        std::vector<uint32_t> v(kCount);
        for (auto& x : v) x = rng();
        return v;
    }();
    static const std::vector<uint32_t> ordered = [] {
        std::vector<uint32_t> v = random;
        std::sort(v.begin(), v.end());
        return v;
    }();
    return sorted ? ordered : random;
}

void quickSort(benchmark::State& state) {
    const auto& in = input(state.range(0) != 0);
    auto cmp = g_compare;
    std::vector<uint32_t> v;
    for (auto _ : state) {
        state.PauseTiming();
        v = in;
        state.ResumeTiming();
        elk::sort::quickSort(v.data(), sizeof(uint32_t), v.size(), [cmp](const std::byte* p, const std::byte* e) {
            uint32_t a, b;
            std::memcpy(&a, p, 4);
            std::memcpy(&b, e, 4);
            return cmp(a, b);
        });
        benchmark::DoNotOptimize(v.data());
    }
    if (!std::is_sorted(v.begin(), v.end())) state.SkipWithError("not sorted");
}

void stableSort(benchmark::State& state) {
    const auto& in = input(state.range(0) != 0);
    auto cmp = g_compare;
    std::vector<uint32_t> v;
    for (auto _ : state) {
        state.PauseTiming();
        v = in;
        state.ResumeTiming();
        std::stable_sort(v.begin(), v.end(), [cmp](uint32_t a, uint32_t b) { return cmp(a, b) < 0; });
        benchmark::DoNotOptimize(v.data());
    }
}

BENCHMARK(quickSort)->ArgName("sorted")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(stableSort)->ArgName("sorted")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Prints the usual table, then each input's ratio quickSort / stableSort in
// CPU time, which other work on a shared machine disturbs less.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            std::string name = r.benchmark_name();
            times_[name] = r.GetAdjustedCPUTime();
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const char* arg : {"sorted:0", "sorted:1"}) {
            auto q = times_.find(std::string("quickSort/") + arg);
            auto s = times_.find(std::string("stableSort/") + arg);
            if (q == times_.end() || s == times_.end() || s->second <= 0) continue;
            std::printf("%s input, %zu values: quick sort %.1f ms, std::stable_sort %.1f ms (CPU), ratio %.2f\n",
                        std::strcmp(arg, "sorted:1") == 0 ? "sorted" : "random", kCount, q->second, s->second,
                        q->second / s->second);
        }
    }

private:
    std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
