// Micro-benchmarks of the prime engine: sieving, counting, list writing.
#include <benchmark/benchmark.h>

#include <array>
#include <bit>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <vector>

#include "sieve/prime_pi.hpp"
#include "sieve/prime_scan.hpp"
#include "sieve/range_count.hpp"
#include "sieve/wheel.hpp"
#include "listing/prime_list.hpp"

namespace {

PrimeScan scan;

// The sieve's bytes as the list writer reads them.
void SieveBytes(benchmark::State& state) {
    const auto hi = static_cast<Number>(state.range(0));
    std::uint8_t bytes[4096];
    for (auto _ : state) {
        std::size_t total = 0;
        std::uint64_t first_byte = 0;
        prime_scan_start(scan, 1, hi);
        while (const std::size_t n = prime_scan_next_bytes(scan, bytes, sizeof bytes, first_byte)) total += n;
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(SieveBytes)->Arg(10000000)->Arg(100000000)->Unit(benchmark::kMillisecond);

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

// The list writer's alternatives, each making the text of the million
// primes from 1000000020 on, ten a line, into a buffer (the kernel's copy
// apart). So many that the branch predictor cannot learn them by heart.
struct ListInput {
    std::vector<Number> primes;
    std::vector<std::uint8_t> wheel_bytes;  // the same primes as sieve bits
    std::uint64_t first_byte;
};

constexpr std::size_t list_primes_count = 1000000;

const ListInput& list_input() {
    static const ListInput input = [] {
        ListInput in;
        std::uint8_t bytes[4096];
        std::uint64_t first_byte = 0;
        prime_scan_start(scan, 1000000020, 4000000000u);  // a wheel byte of ten digits
        while (in.primes.size() < list_primes_count) {
            const std::size_t n = prime_scan_next_bytes(scan, bytes, sizeof bytes, first_byte);
            for (std::size_t i = 0; i < n; ++i)
                for (unsigned bit = 0; bit < 8; ++bit)
                    if (bytes[i] >> bit & 1 && in.primes.size() < list_primes_count)
                        in.primes.push_back(static_cast<Number>(30 * (first_byte + i) + wheel_residues[bit]));
        }
        in.first_byte = in.primes.front() / 30;
        in.wheel_bytes.assign(in.primes.back() / 30 - in.first_byte + 1, 0);
        for (const Number p : in.primes)
            in.wheel_bytes[p / 30 - in.first_byte] |= static_cast<std::uint8_t>(1u << wheel_bit_of[p % 30]);
        return in;
    }();
    return input;
}

std::vector<char> list_text(list_primes_count * 12 + 64);  // room for any of them

PrimeBatch as_batch(const ListInput& in) {
    return {nullptr, 0, in.wheel_bytes.data(), in.wheel_bytes.size(), in.first_byte};
}

// Each alternative's text is checked against the program's once.
template <typename Format>
void run_list_format(benchmark::State& state, Format format) {
    const ListInput& in = list_input();
    static std::vector<char> expected(list_text.size());
    const char* expected_end = prepare_prime_list(expected.data(), PrimeList{nullptr, 10}, as_batch(in));
    const char* end = format(in, list_text.data());
    if (end - list_text.data() != expected_end - expected.data() ||
        std::memcmp(list_text.data(), expected.data(), static_cast<std::size_t>(end - list_text.data())) != 0) {
        state.SkipWithError("not the program's text");
        return;
    }
    std::size_t size = 0;
    for (auto _ : state) {
        size = static_cast<std::size_t>(format(in, list_text.data()) - list_text.data());
        benchmark::DoNotOptimize(list_text[size / 2]);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(in.primes.size()));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(size));
}

char* line_break_after(char* out, unsigned& on_line) {
    if (++on_line == 10) {
        on_line = 0;
        *out++ = '\r';
        *out++ = '\n';
    }
    return out;
}

// The program's writer: from the sieve's words, the digits of the base's
// thousand and the next kept as items.
void FormatWheelWords(benchmark::State& state) {
    run_list_format(state, [](const ListInput& in, char* out) {
        return prepare_prime_list(out, PrimeList{nullptr, 10}, as_batch(in));
    });
}
BENCHMARK(FormatWheelWords)->Unit(benchmark::kMillisecond);

// From numbers (turned out of the bits first, below): the gap to the last
// prime added to its digits, the writer this program had before.
void FormatByGaps(benchmark::State& state) {
    static const auto three = [] {
        std::array<std::array<char, 4>, 1000> table{};
        for (unsigned n = 0; n < 1000; ++n)
            table[n] = {char('0' + n / 100), char('0' + n / 10 % 10), char('0' + n % 10), 0};
        return table;
    }();
    run_list_format(state, [](const ListInput& in, char* out) {
        char item[32];  // " " and the digits, right-aligned at 16; the last three from the table
        unsigned on_line = 0, length = 0, low = 0;
        Number last = 0;
        for (const Number p : in.primes) {
            if (last == 0 || (low += p - last) >= 1000) {
                const auto count = static_cast<unsigned>(std::to_chars(item + 6, item + 16, p).ptr - (item + 6));
                length = count + 1;
                std::memmove(item + 16 - count, item + 6, count);
                item[16 - length] = ' ';
                low = p % 1000;
            }
            last = p;
            std::memcpy(out, item + 16 - length, 16);
            std::memcpy(out + length - 3, three[low].data(), 4);
            out = line_break_after(out + length, on_line);
        }
        return out;
    });
}
BENCHMARK(FormatByGaps)->Unit(benchmark::kMillisecond);

// Every prime converted whole, two digits at a time from a table of 100 pairs.
void FormatByDigitPairs(benchmark::State& state) {
    static const auto pairs = [] {
        std::array<char, 200> table{};
        for (unsigned n = 0; n < 100; ++n) table[2 * n] = char('0' + n / 10), table[2 * n + 1] = char('0' + n % 10);
        return table;
    }();
    run_list_format(state, [](const ListInput& in, char* out) {
        unsigned on_line = 0;
        for (const Number p : in.primes) {  // ten digits, all of them
            *out = ' ';
            char* at = out + 11;
            for (Number v = p; v != 0; v /= 100) std::memcpy(at -= 2, &pairs[2 * (v % 100)], 2);
            out = line_break_after(out + 11, on_line);
        }
        return out;
    });
}
BENCHMARK(FormatByDigitPairs)->Unit(benchmark::kMillisecond);

// Every prime converted whole by the standard library.
void FormatByToChars(benchmark::State& state) {
    run_list_format(state, [](const ListInput& in, char* out) {
        unsigned on_line = 0;
        for (const Number p : in.primes) {
            *out++ = ' ';
            out = line_break_after(std::to_chars(out, out + 10, p).ptr, on_line);
        }
        return out;
    });
}
BENCHMARK(FormatByToChars)->Unit(benchmark::kMillisecond);

// The bits turned into numbers, as FormatByGaps and the two after it need
// first.
void ExtractNumbersFromWheelBytes(benchmark::State& state) {
    static std::vector<Number> numbers(list_primes_count + 8);
    const ListInput& in = list_input();
    for (auto _ : state) {
        std::size_t count = 0;
        std::uint64_t base = 30 * in.first_byte;
        for (const std::uint8_t byte : in.wheel_bytes) {
            for (unsigned bits = byte; bits != 0; bits &= bits - 1)
                numbers[count++] = static_cast<Number>(base + wheel_residues[static_cast<unsigned>(std::countr_zero(bits))]);
            base += 30;
        }
        benchmark::DoNotOptimize(numbers[count / 2]);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(in.primes.size()));
}
BENCHMARK(ExtractNumbersFromWheelBytes)->Unit(benchmark::kMillisecond);

}  // namespace
