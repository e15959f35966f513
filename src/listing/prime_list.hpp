// The list of primes as a run writes it: " p" items, a line break after
// every per_line-th prime. Bytes as MSG_LIST_ITEM and MSG_LINE_BREAK give.
#pragma once

#include <cstddef>
#include <cstdint>

#include "console/channel.hpp"
#include "number/number.hpp"

// The most primes a line may take: its room must fit the channel's.
inline constexpr unsigned list_line_most = 1000;

struct PrimeList {
    Channel* channel;
    unsigned per_line;  // 1 to list_line_most
    unsigned on_line = 0;  // items written since the last line break
};

// Consecutive primes of a range, in increasing order: those of 2, 3 and 5
// in it, then those whose bits are set in wheel bytes (byte i standing for
// 30 (first_byte + i) plus the wheel's residues), as the sieve leaves them.
struct PrimeBatch {
    const Number* small = nullptr;
    std::size_t small_count = 0;
    const std::uint8_t* bytes = nullptr;
    std::size_t byte_count = 0;
    std::uint64_t first_byte = 0;
};

// How many primes the batch holds.
std::size_t primes_in(const PrimeBatch& batch);

// Writes the batch's primes to the list's channel.
void write_prime_list(PrimeList& list, const PrimeBatch& batch);

// The same primes into two lists at once, each with its own line length:
// every prime's digits are made once.
void write_prime_lists(PrimeList& first, PrimeList& second, const PrimeBatch& batch);

// The text write_prime_list would write for the list as `at` stands, put in
// `out` instead (which has prime_list_room(primes_in(batch), at.per_line)
// bytes); returns its end. Nothing goes to the channel; `at` stays.
char* prepare_prime_list(char* out, const PrimeList& at, const PrimeBatch& batch);

// The most bytes of an item (a separator and ten digits), and how far past
// the last item the writer's stores may reach.
inline constexpr std::size_t list_item_most = 11;
inline constexpr std::size_t list_store_reach = 16;

// The bytes prepare_prime_list may touch for `count` primes: the items,
// their line breaks, and the reach of the last item's stores.
constexpr std::size_t prime_list_room(std::size_t count, unsigned per_line) {
    return count * list_item_most + line_end.size() * (count / per_line + 1) + list_store_reach;
}

// The room a line of per_line items needs, to the reach of its last stores.
constexpr std::size_t line_room(unsigned per_line) {
    return per_line * list_item_most + line_end.size() + list_store_reach;
}
static_assert(line_room(list_line_most) <= channel_space_most, "the channel has room for the longest line");

// Writes text made by prepare_prime_list for `count` primes, and brings the
// list to where it then stands.
void write_prepared_list(PrimeList& list, const char* text, std::size_t size, std::size_t count);

// Brings the list to where it stands after `count` more primes.
void move_list_on(PrimeList& list, std::size_t count);
