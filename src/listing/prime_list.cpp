// The list of primes as a run writes it: " p" items, a line break after
// every per_line-th prime. The hot path of the listing modes, which goes
// through the sieve's bits a 64-bit word (240 numbers) at a time, without
// turning them into numbers first: a prime of the word is its base plus the
// offset of its bit (below 240), so that all its digits but the last three
// are those of the base's thousand or of the next one. Both are kept as
// items, made afresh when the base passes into another thousand (every four
// words or so); the last three digits come from a table. The same loop
// writes into a channel or into a plain buffer (the second thread's share of
// the work).
#include "listing/prime_list.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstring>
#include <limits>
#include <string_view>
#include <tuple>

#include "console/catalogue_text.hpp"
#include "sieve/bit_count.hpp"
#include "sieve/wheel.hpp"

namespace {

// The list's two entries of the catalogue are ASCII, the same bytes in
// every execution character set. An item is one separator byte and the
// number's digits; a line ends in an LF, which this writer writes as the
// channel's line end itself: its text goes out raw, since looking through
// every byte of it for an LF again would cost what the writer saves. The
// line end's two bytes are stored one by one: copying them as a block made
// the writer 2 to 3% slower (make microbench), by the registers it took.
// The separator is no digit, so that the digits' start can be found from it.
constexpr std::string_view item_format = catalogue::MSG_LIST_ITEM;
static_assert(item_format.size() == 4 && item_format.substr(1) == "%ld" &&
                  static_cast<unsigned char>(item_format[0]) < 0x80 && item_format[0] != '\n' &&
                  item_format[0] != '%' && (item_format[0] < '0' || item_format[0] > '9'),
              "MSG_LIST_ITEM must be one ASCII separator (no digit, no LF) and %ld");
static_assert(catalogue::MSG_LINE_BREAK == "\n", "MSG_LINE_BREAK must be a single LF");
static_assert(line_end.size() == 2, "the writer stores the channel's line end as two bytes");
constexpr char separator = item_format[0];

// The separator and the ten digits of the largest Number.
constexpr std::size_t longest_item = list_item_most;
static_assert(longest_item == 1 + std::numeric_limits<Number>::digits10 + 1);

// An item of a kept thousand is copied 16 bytes at once, one store whatever
// its length, then its last three digits 4 bytes at once: 1.23 to 1.34
// times as fast in modes 3 and 4 over 1..1e9 and 1..2e9 as copying the
// item's own length. Both stores may reach past the item, into room that
// every buffer the writer fills keeps past its last item.
constexpr std::size_t copy_width = list_store_reach;
static_assert(copy_width >= longest_item + 1, "the digits' store reaches past the item, no further than the copy");

// Where the digits end in Thousands::text, whose rows hold an item ending
// there and the copy_width bytes a copy from its start reads.
constexpr unsigned item_end = 16;
constexpr std::size_t thousands_row = 32;
static_assert(item_end >= longest_item && item_end + copy_width <= thousands_row,
              "a copy from an item's start stays within its row");

// The last three digits of every number below 1240 (a thousand and a
// word's span past it), with leading zeros, and a fourth byte so that one
// 4-byte store writes them.
constexpr unsigned three_digit_rows = 1240;
static_assert(three_digit_rows >= 1000 + 8 * wheel_span, "a word's primes lie below the next thousand's 240th");
constexpr std::array<std::array<char, 4>, three_digit_rows> three_digits = [] {
    std::array<std::array<char, 4>, three_digit_rows> table{};
    for (unsigned n = 0; n < three_digit_rows; ++n)
        table[n] = {static_cast<char>('0' + n / 100 % 10), static_cast<char>('0' + n / 10 % 10),
                    static_cast<char>('0' + n % 10), 0};
    return table;
}();

// Words whose base is below this are made number by number, from scratch.
constexpr std::uint64_t first_word_base = 1000;

// The items of two consecutive thousands: " " and the digits of 1000t and
// of 1000(t + 1), right-aligned at item_end; their last three digits are
// "000" and stand for the table's.
struct Thousands {
    std::uint64_t thousand = 0;  // t; 0: none made yet (0 is never one)
    unsigned length[2] = {};
    const char* start[2] = {};   // where each item starts in text
    char text[2][thousands_row];

    // Moves to thousand t: from the thousand before, the next one's item
    // becomes the first and the thousand after it is counted up from it.
    void move_to(std::uint64_t t) {
        if (t == thousand + 1 && thousand != 0) {
            std::memcpy(text[0], text[1], sizeof text[0]);
            length[0] = length[1];
            start[0] = text[0] + (item_end - length[0]);
            count_up_second();
        } else {
            make(0, t);
            make(1, t + 1);
        }
        thousand = t;
    }

    void make(unsigned k, std::uint64_t t) {
        char digits[12];
        const auto count = static_cast<unsigned>(std::to_chars(digits, digits + 12, t * 1000).ptr - digits);
        length[k] = count + 1;
        char* const at = text[k] + item_end - length[k];
        at[0] = separator;
        std::memcpy(at + 1, digits, count);
        start[k] = at;
    }

    // Adds 1 to the second item's thousands, which it takes from the first.
    void count_up_second() {
        char* at = text[1] + item_end - 4;
        while (*at == '9') *at-- = '0';
        if (*at == separator) {
            *at = '1';
            at[-1] = separator;
            ++length[1];
            start[1] = at - 1;
        } else {
            ++*at;
        }
    }
};

// Writes the item of p from scratch at `out`; returns its end.
char* item_from_scratch(char* out, Number p) {
    *out = separator;
    return std::to_chars(out + 1, out + longest_item, p).ptr;
}

// Puts items and the line breaks that fall due into `out`; Refresh gets the
// room for the next line after each break. Needs line_room(per_line) bytes
// from the start of a line.
template <typename Refresh>
struct Output {
    unsigned per_line;
    unsigned on_line;
    char* out;
    Refresh refresh;

    void line_break_if_due() {
        if (++on_line == per_line) {
            on_line = 0;
            *out++ = line_end[0];
            *out++ = line_end[1];
            out = refresh(out);
        }
    }

    // The item of the number `from_thousand` above the kept thousand
    // (below 2000): the next thousand's item where it is 1000 or more.
    void put(const Thousands& thousands, unsigned from_thousand) {
        const unsigned next = from_thousand >= 1000;
        const unsigned length = thousands.length[next];
        std::memcpy(out, thousands.start[next], copy_width);
        std::memcpy(out + length - 3, three_digits[from_thousand].data(), 4);
        out += length;
        line_break_if_due();
    }

    void put(Number p) {
        out = item_from_scratch(out, p);
        line_break_if_due();
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

// The primes of one word of the sieve, whose bit 0 stands for base + 1.
// Inlined, so that the outputs stay the caller's locals.
template <typename... Outputs>
[[gnu::always_inline]] inline void put_word(std::uint64_t bits, std::uint64_t base, Thousands& thousands, Outputs&... outputs) {
    if (base < first_word_base) {
        for (; bits != 0; bits &= bits - 1) {
            const auto p = static_cast<Number>(base + wheel_word_offsets[std::countr_zero(bits)]);
            (outputs.put(p), ...);
        }
        return;
    }
    const std::uint64_t thousand = base / 1000;
    if (thousand != thousands.thousand) thousands.move_to(thousand);
    const auto low = static_cast<unsigned>(base % 1000);
    for (; bits != 0; bits &= bits - 1) {
        const unsigned from_thousand = low + wheel_word_offsets[std::countr_zero(bits)];
        (outputs.put(thousands, from_thousand), ...);
    }
}

// Calls `visit(bits, base)` for each 64-bit word of the batch's bytes, bit
// 0 standing for base + 1; a last part word is padded with zeros.
template <typename Visit>
[[gnu::always_inline]] inline void for_each_word(const PrimeBatch& batch, Visit visit) {
    const std::uint8_t* const bytes = batch.bytes;
    const std::size_t byte_count = batch.byte_count;
    std::uint64_t base = wheel_span * batch.first_byte;
    std::size_t i = 0;
    for (; i + 8 <= byte_count; i += 8, base += 8 * wheel_span) {
        std::uint64_t bits;
        std::memcpy(&bits, bytes + i, 8);
        visit(bits, base);
    }
    if (i < byte_count) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, bytes + i, byte_count - i);
        visit(bits, base);
    }
}

// Every prime of the batch, into each output. The batch's fields and the
// outputs are copied into locals first: the outputs' char stores could
// alias them, and force a reload after every prime.
template <typename... Outputs>
void put_batch(const PrimeBatch& batch, Outputs&... outputs_given) {
    std::tuple<Outputs...> copies{outputs_given...};
    std::apply(
        [&batch](Outputs&... outputs) {
            for (std::size_t i = 0; i < batch.small_count; ++i) (outputs.put(batch.small[i]), ...);
            Thousands thousands;
            for_each_word(batch, [&](std::uint64_t bits, std::uint64_t base) {
                if (bits != 0) put_word(bits, base, thousands, outputs...);
            });
        },
        copies);
    std::tie(outputs_given...) = copies;
}

Output<ChannelRoom> channel_output(const PrimeList& list) {
    const ChannelRoom room{list.channel, line_room(list.per_line)};
    return {list.per_line, list.on_line, channel_space(*list.channel, room.line_room), room};
}

void finish(PrimeList& list, const Output<ChannelRoom>& output) {
    list.on_line = output.on_line;
    channel_commit(*list.channel, output.out);
    channel_pace(*list.channel);
}

}  // namespace

std::size_t primes_in(const PrimeBatch& batch) {
    std::size_t count = batch.small_count;
    for_each_word(batch, [&count](std::uint64_t bits, std::uint64_t) { count += bits_set(bits); });
    return count;
}

void write_prime_list(PrimeList& list, const PrimeBatch& batch) {
    Output<ChannelRoom> output = channel_output(list);
    put_batch(batch, output);
    finish(list, output);
}

void write_prime_lists(PrimeList& first, PrimeList& second, const PrimeBatch& batch) {
    Output<ChannelRoom> one = channel_output(first), two = channel_output(second);
    put_batch(batch, one, two);
    finish(first, one);
    finish(second, two);
}

char* prepare_prime_list(char* out, const PrimeList& at, const PrimeBatch& batch) {
    Output<NoRefresh> output{at.per_line, at.on_line, out, {}};
    put_batch(batch, output);
    return output.out;
}

void write_prepared_list(PrimeList& list, const char* text, std::size_t size, std::size_t count) {
    channel_write_raw(*list.channel, text, size);
    move_list_on(list, count);
    channel_pace(*list.channel);
}

void move_list_on(PrimeList& list, std::size_t count) {
    list.on_line = static_cast<unsigned>((list.on_line + count) % list.per_line);
}
