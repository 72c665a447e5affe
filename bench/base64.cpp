// The library's Base64 coder against OpenSSL's EVP_EncodeBlock and
// EVP_DecodeBlock on the same 1 KiB and 1 MiB of random bytes. Throughput is
// counted in binary bytes for every coder (GB = 10^9 bytes in the summary).
// The library decodes zero-terminated wide text (its export takes UTF-16),
// OpenSSL 8-bit text of the same characters with its length.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "convert/core/base64.h"

namespace {

struct Input {
    std::vector<uint8_t> bytes;
    std::string text;
    std::u16string wide;
};

const Input& input(size_t n) {
    static std::map<size_t, Input> inputs;
    auto it = inputs.find(n);
    if (it != inputs.end()) return it->second;
    Input in;
    std::mt19937 rng(static_cast<uint32_t>(n));
    in.bytes.resize(n);
    for (auto& b : in.bytes) b = static_cast<uint8_t>(rng());
    in.text.resize(elk::base64EncodedLength(n) + 1);
    elk::base64Encode(in.bytes.data(), n, in.text.data());
    in.text.pop_back();
    in.wide.assign(in.text.begin(), in.text.end());
    return inputs.emplace(n, std::move(in)).first->second;
}

void elkEncode(benchmark::State& state) {
    const Input& in = input(static_cast<size_t>(state.range(0)));
    std::vector<char> out(in.text.size() + 1);
    for (auto _ : state) {
        elk::base64Encode(in.bytes.data(), in.bytes.size(), out.data());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    if (std::memcmp(out.data(), in.text.data(), in.text.size()) != 0) state.SkipWithError("wrong text");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * in.bytes.size()));
}

void opensslEncode(benchmark::State& state) {
    const Input& in = input(static_cast<size_t>(state.range(0)));
    std::vector<unsigned char> out(in.text.size() + 1);
    for (auto _ : state) {
        EVP_EncodeBlock(out.data(), in.bytes.data(), static_cast<int>(in.bytes.size()));
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    if (std::memcmp(out.data(), in.text.data(), in.text.size()) != 0) state.SkipWithError("wrong text");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * in.bytes.size()));
}

void elkDecode(benchmark::State& state) {
    const Input& in = input(static_cast<size_t>(state.range(0)));
    std::vector<uint8_t> out(elk::base64DecodedBound(in.wide.size()));
    uint32_t count = 0;
    for (auto _ : state) {
        count = static_cast<uint32_t>(out.size());
        elk::base64Decode(in.wide.c_str(), out.data(), &count);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    if (count != in.bytes.size() || std::memcmp(out.data(), in.bytes.data(), count) != 0)
        state.SkipWithError("wrong bytes");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * in.bytes.size()));
}

// The decoder proper, given the length as OpenSSL is: what the export adds on
// top is the scan for the terminator of its zero-terminated text.
void elkDecodeKnownLength(benchmark::State& state) {
    const Input& in = input(static_cast<size_t>(state.range(0)));
    std::vector<uint8_t> out(elk::base64DecodedBound(in.wide.size()));
    elk::Base64Decoded result{};
    for (auto _ : state) {
        result = elk::base64DecodeTo(in.wide.data(), in.wide.size(), out.data());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    if (result.length != in.bytes.size() || std::memcmp(out.data(), in.bytes.data(), result.length) != 0)
        state.SkipWithError("wrong bytes");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * in.bytes.size()));
}

void opensslDecode(benchmark::State& state) {
    const Input& in = input(static_cast<size_t>(state.range(0)));
    std::vector<unsigned char> out(in.text.size());
    for (auto _ : state) {
        EVP_DecodeBlock(out.data(), reinterpret_cast<const unsigned char*>(in.text.data()),
                        static_cast<int>(in.text.size()));
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    if (std::memcmp(out.data(), in.bytes.data(), in.bytes.size()) != 0) state.SkipWithError("wrong bytes");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * in.bytes.size()));
}

BENCHMARK(elkEncode)->Arg(1024)->Arg(1 << 20);
BENCHMARK(opensslEncode)->Arg(1024)->Arg(1 << 20);
BENCHMARK(elkDecode)->Arg(1024)->Arg(1 << 20);
BENCHMARK(elkDecodeKnownLength)->Arg(1024)->Arg(1 << 20);
BENCHMARK(opensslDecode)->Arg(1024)->Arg(1 << 20);

// Prints the usual table, then per size and direction both throughputs and
// their ratio (ours / OpenSSL's).
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            auto it = r.counters.find("bytes_per_second");
            if (it != r.counters.end()) rates_[r.benchmark_name()] = it->second.value;
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        const struct {
            const char* label;
            const char* ours;
            const char* theirs;
        } rows[] = {
            {"Encode", "elkEncode", "opensslEncode"},
            {"Decode", "elkDecode", "opensslDecode"},
            {"Decode, length known", "elkDecodeKnownLength", "opensslDecode"},
        };
        for (const auto& row : rows) {
            for (const char* size : {"1024", "1048576"}) {
                auto ours = rates_.find(std::string(row.ours) + "/" + size);
                auto theirs = rates_.find(std::string(row.theirs) + "/" + size);
                if (ours == rates_.end() || theirs == rates_.end() || theirs->second <= 0) continue;
                std::printf("%-20s %7s bytes: elkBase %.2f GB/s, OpenSSL %.2f GB/s, ratio %.2f\n", row.label, size,
                            ours->second / 1e9, theirs->second / 1e9, ours->second / theirs->second);
            }
        }
    }

private:
    std::map<std::string, double> rates_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
