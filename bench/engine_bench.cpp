// Micro-benchmarks of the prime engine: sieving, counting, list writing.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "number/prime_pi.hpp"
#include "number/prime_scan.hpp"
#include "range/prime_list.hpp"

namespace {

PrimeScan scan;

void SieveEnumerate(benchmark::State& state) {
    const auto hi = static_cast<Number>(state.range(0));
    Number batch[4096];
    for (auto _ : state) {
        std::size_t total = 0;
        prime_scan_start(scan, 1, hi);
        while (const std::size_t n = prime_scan_next(scan, batch, 4096)) total += n;
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(SieveEnumerate)->Arg(10000000)->Arg(100000000)->Unit(benchmark::kMillisecond);

// The sieve alone over the whole span, as `primesieve 2e9 -c -t1` counts.
void SieveCount(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(sieve_count_primes(1, static_cast<Number>(state.range(0))));
}
BENCHMARK(SieveCount)->Arg(2000000000)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void PrimePi(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(prime_pi(static_cast<Number>(state.range(0))));
}
BENCHMARK(PrimePi)->Arg(100000000)->Arg(2000000000)->Unit(benchmark::kMillisecond);

void ListWriter(benchmark::State& state) {
    static Channel sink;
    std::FILE* null = std::fopen("/dev/null", "w");
    attach_channel(sink, fileno(null));
    Number primes[4096];
    for (Number i = 0; i < 4096; ++i) primes[i] = 1000000007u + 2 * i;
    PrimeList list{&sink, 10};
    for (auto _ : state) write_prime_list(list, primes, 4096);
    channel_flush(sink);
    std::fclose(null);
    state.SetItemsProcessed(state.iterations() * 4096);
}
BENCHMARK(ListWriter);

}  // namespace
