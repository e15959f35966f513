// The list of primes as a run writes it: " p" items, a line break after
// every per_line-th prime. The hot path of the listing modes: consecutive
// primes differ by less than 1000, so a prime's digits are the previous
// prime's with the gap added to the last three of them, and a carry, now and
// then, into the rest. The item kept between primes changes only on a carry:
// its last three digits are written from a table straight into the output,
// so that no wide read of the item follows a narrow write to it.
#include "range/prime_list.hpp"

#include <array>
#include <charconv>
#include <cstring>

namespace {

// A space, ten digits; a line break; and room for copying 16 bytes at once.
constexpr std::size_t longest_item = 11;
constexpr std::size_t copy_width = 16;

// Where an item's digits end in PrimeList::item.
constexpr unsigned item_end = 16;

// The three digits of every number below 1000, with leading zeros, and a
// fourth byte so that one 4-byte store writes them.
constexpr std::array<std::array<char, 4>, 1000> three_digits = [] {
    std::array<std::array<char, 4>, 1000> table{};
    for (unsigned n = 0; n < 1000; ++n)
        table[n] = {static_cast<char>('0' + n / 100), static_cast<char>('0' + n / 10 % 10),
                    static_cast<char>('0' + n % 10), 0};
    return table;
}();

// Writes the item of p from scratch.
void set_item(PrimeList& list, Number p) {
    char digits[10];
    const auto length = static_cast<unsigned>(std::to_chars(digits, digits + 10, p).ptr - digits);
    list.item_length = length + 1;
    char* start = list.item + item_end - list.item_length;
    start[0] = ' ';
    std::memcpy(start + 1, digits, length);
    list.last_low = p % 1000;
}

// Adds the gap to the item's digits; they have three or more. The last three
// are left to the table.
void advance_item(PrimeList& list, unsigned gap) {
    char* digits_end = list.item + item_end;
    unsigned low = list.last_low + gap;
    if (low >= 1000) {
        low -= 1000;
        // Carry into the digits above the last three.
        char* at = digits_end - 4;
        char* const first = digits_end - (list.item_length - 1);
        while (at >= first && *at == '9') *at-- = '0';
        if (at >= first) {
            ++*at;
        } else {
            *at = '1';
            ++list.item_length;
            at[-1] = ' ';
        }
    }
    list.last_low = low;
}

void next_item(PrimeList& list, Number p) {
    if (list.last >= 100 && p - list.last < 1000)
        advance_item(list, p - list.last);
    else
        set_item(list, p);
    list.last = p;
}

// Where one list's items go: its channel's room, refreshed once a line.
struct Output {
    PrimeList& list;
    Channel& channel;
    std::size_t line_room;
    char* out;

    explicit Output(PrimeList& l)
        : list(l), channel(*l.channel), line_room(l.per_line * longest_item + 2 + copy_width),
          out(channel_space(channel, line_room)) {}

    // The item `source` holds, then the line break that is due.
    void put(const PrimeList& source) {
        std::memcpy(out, source.item + item_end - source.item_length, copy_width);
        if (source.last >= 100)
            std::memcpy(out + source.item_length - 3, three_digits[source.last_low].data(), 4);
        out += source.item_length;
        if (++list.on_line == list.per_line) {
            list.on_line = 0;
            *out++ = '\r';
            *out++ = '\n';
            // The room for the next line is checked once, here.
            channel_commit(channel, out);
            out = channel_space(channel, line_room);
        }
    }

    void finish() {
        channel_commit(channel, out);
        channel_pace(channel);
    }
};

}  // namespace

void write_prime_list(PrimeList& list, const Number* primes, std::size_t count) {
    Output output(list);
    for (std::size_t i = 0; i < count; ++i) {
        next_item(list, primes[i]);
        output.put(list);
    }
    output.finish();
}

void write_prime_lists(PrimeList& first, PrimeList& second, const Number* primes, std::size_t count) {
    Output one(first), two(second);
    for (std::size_t i = 0; i < count; ++i) {
        next_item(first, primes[i]);
        one.put(first);
        two.put(first);
    }
    one.finish();
    two.finish();
}
