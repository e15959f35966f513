// The list of primes as a run writes it: " p" items, a line break after
// every per_line-th prime. The hot path of the listing modes: consecutive
// primes differ by less than 1000, so a prime's digits are the previous
// prime's with the gap added to the last three of them, and a carry, now and
// then, into the rest. The item kept between primes changes only on a carry:
// its last three digits are written from a table straight into the output,
// so that no wide read of the item follows a narrow write to it. The same
// loop writes into a channel or into a plain buffer (the second thread's
// share of the work).
#include "range/prime_list.hpp"

#include <array>
#include <charconv>
#include <cstring>

namespace {

// A space, ten digits; a line break; and room for copying 16 bytes at once.
constexpr std::size_t longest_item = 11;
constexpr std::size_t copy_width = 16;

// Where an item's digits end in Item::text.
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

// The item being written, in locals for the length of a batch, so that the
// output's char stores cannot force a reload at every prime. The digits live
// apart from the numbers, so that these stay in registers.
struct Item {
    Number last;
    unsigned low = 0;     // last % 1000
    unsigned length = 0;  // " " and the digits
    char* text;           // right-aligned at item_end; the last three digits stale

    // Starts after `previous`, the prime written last (0: none).
    Item(Number previous, char* storage) : last(previous), text(storage) {
        if (previous >= 100) set(previous);
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

// Puts items and the line breaks that fall due into `out`; Refresh gets the
// room for the next line after each break.
template <typename Refresh>
struct Output {
    unsigned per_line;
    unsigned on_line;
    char* out;
    Refresh refresh;

    void put(const Item& item) {
        std::memcpy(out, item.text + item_end - item.length, copy_width);
        if (item.last >= 100) std::memcpy(out + item.length - 3, three_digits[item.low].data(), 4);
        out += item.length;
        if (++on_line == per_line) {
            on_line = 0;
            *out++ = '\r';
            *out++ = '\n';
            out = refresh(out);
        }
    }
};

// A channel's room, checked once a line.
struct ChannelRoom {
    Channel* channel;
    std::size_t line_room;

    char* operator()(char* end) const {
        channel_commit(*channel, end);
        return channel_space(*channel, line_room);
    }
};

// A buffer with room for the whole batch.
struct NoRefresh {
    char* operator()(char* end) const { return end; }
};

Output<ChannelRoom> channel_output(const PrimeList& list) {
    const ChannelRoom room{list.channel, list.per_line * longest_item + 2 + copy_width};
    return {list.per_line, list.on_line, channel_space(*list.channel, room.line_room), room};
}

void finish(PrimeList& list, const Output<ChannelRoom>& output, Number last) {
    list.on_line = output.on_line;
    list.last = last;
    channel_commit(*list.channel, output.out);
    channel_pace(*list.channel);
}

}  // namespace

void write_prime_list(PrimeList& list, const Number* primes, std::size_t count) {
    char text[32];
    Item item(list.last, text);
    Output<ChannelRoom> output = channel_output(list);
    for (std::size_t i = 0; i < count; ++i) {
        item.next(primes[i]);
        output.put(item);
    }
    finish(list, output, item.last);
}

void write_prime_lists(PrimeList& first, PrimeList& second, const Number* primes, std::size_t count) {
    char text[32];
    Item item(first.last, text);
    Output<ChannelRoom> one = channel_output(first), two = channel_output(second);
    for (std::size_t i = 0; i < count; ++i) {
        item.next(primes[i]);
        one.put(item);
        two.put(item);
    }
    finish(first, one, item.last);
    finish(second, two, item.last);
}

char* format_prime_list(char* out, const PrimeList& at, const Number* primes, std::size_t count) {
    char text[32];
    Item item(at.last, text);
    Output<NoRefresh> output{at.per_line, at.on_line, out, {}};
    for (std::size_t i = 0; i < count; ++i) {
        item.next(primes[i]);
        output.put(item);
    }
    return output.out;
}

void format_prime_lists(char*& first_out, char*& second_out, const PrimeList& first_at,
                        const PrimeList& second_at, const Number* primes, std::size_t count) {
    char text[32];
    Item item(first_at.last, text);
    Output<NoRefresh> one{first_at.per_line, first_at.on_line, first_out, {}};
    Output<NoRefresh> two{second_at.per_line, second_at.on_line, second_out, {}};
    for (std::size_t i = 0; i < count; ++i) {
        item.next(primes[i]);
        one.put(item);
        two.put(item);
    }
    first_out = one.out;
    second_out = two.out;
}

std::size_t prime_list_room(std::size_t count, unsigned per_line) {
    // The line breaks, and the last item's copy, which reaches copy_width
    // bytes past its start.
    return count * longest_item + 2 * (count / per_line + 1) + copy_width;
}

void write_formatted_list(PrimeList& list, const char* text, std::size_t size, std::size_t count, Number last) {
    channel_write_raw(*list.channel, text, size);
    list.on_line = static_cast<unsigned>((list.on_line + count) % list.per_line);
    list.last = last;
    channel_pace(*list.channel);
}
