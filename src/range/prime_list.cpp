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

// The item being written, copied out of the PrimeList for the length of a
// batch: the output's char stores could otherwise alias it and force a
// reload at every prime. The digits live apart from the numbers, so that
// these stay in registers.
struct Item {
    Number last;
    unsigned low;     // last % 1000
    unsigned length;  // " " and the digits
    char* text;       // right-aligned at item_end; the last three digits stale

    Item(const PrimeList& list, char* copy) : last(list.last), low(list.last_low), length(list.item_length), text(copy) {
        std::memcpy(text, list.item, sizeof list.item);
    }

    void store(PrimeList& list) const {
        list.last = last;
        list.last_low = low;
        list.item_length = length;
        std::memcpy(list.item, text, sizeof list.item);
    }

    // Writes the item of p from scratch.
    void set(Number p) {
        char digits[10];
        const auto count = static_cast<unsigned>(std::to_chars(digits, digits + 10, p).ptr - digits);
        length = count + 1;
        char* start = text + item_end - length;
        start[0] = ' ';
        std::memcpy(start + 1, digits, count);
        low = p % 1000;
    }

    // Adds the gap to the digits; they have three or more. The last three
    // are left to the table.
    void advance(unsigned gap) {
        low += gap;
        if (low < 1000) return;
        low -= 1000;
        // Carry into the digits above the last three.
        char* at = text + item_end - 4;
        char* const first = text + item_end - (length - 1);
        while (at >= first && *at == '9') *at-- = '0';
        if (at >= first) {
            ++*at;
        } else {
            *at = '1';
            ++length;
            at[-1] = ' ';
        }
    }

    void next(Number p) {
        if (last >= 100 && p - last < 1000)
            advance(p - last);
        else
            set(p);
        last = p;
    }
};

// Where one list's items go: its channel's room, refreshed once a line.
struct Output {
    Channel& channel;
    const unsigned per_line;
    unsigned on_line;
    std::size_t line_room;
    char* out;

    explicit Output(const PrimeList& list)
        : channel(*list.channel), per_line(list.per_line), on_line(list.on_line),
          line_room(list.per_line * longest_item + 2 + copy_width), out(channel_space(channel, line_room)) {}

    // The item, then the line break that is due.
    void put(const Item& item) {
        std::memcpy(out, item.text + item_end - item.length, copy_width);
        if (item.last >= 100) std::memcpy(out + item.length - 3, three_digits[item.low].data(), 4);
        out += item.length;
        if (++on_line == per_line) {
            on_line = 0;
            *out++ = '\r';
            *out++ = '\n';
            // The room for the next line is checked once, here.
            channel_commit(channel, out);
            out = channel_space(channel, line_room);
        }
    }

    void finish(PrimeList& list) {
        list.on_line = on_line;
        channel_commit(channel, out);
        channel_pace(channel);
    }
};

}  // namespace

void write_prime_list(PrimeList& list, const Number* primes, std::size_t count) {
    char text[sizeof list.item];
    Item item(list, text);
    Output output(list);
    for (std::size_t i = 0; i < count; ++i) {
        item.next(primes[i]);
        output.put(item);
    }
    item.store(list);
    output.finish(list);
}

void write_prime_lists(PrimeList& first, PrimeList& second, const Number* primes, std::size_t count) {
    char text[sizeof first.item];
    Item item(first, text);
    Output one(first), two(second);
    for (std::size_t i = 0; i < count; ++i) {
        item.next(primes[i]);
        one.put(item);
        two.put(item);
    }
    item.store(first);
    one.finish(first);
    two.finish(second);
}
