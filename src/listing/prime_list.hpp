// The list of primes as a run writes it: " p" items, a line break after
// every per_line-th prime. Bytes as MSG_LIST_ITEM and MSG_LINE_BREAK give.
#pragma once

#include <cstddef>
#include <cstdint>

#include "console/channel.hpp"
#include "number/number.hpp"

struct PrimeList {
    Channel* channel;
    unsigned per_line;
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
char* format_prime_list(char* out, const PrimeList& at, const PrimeBatch& batch);

// The same for two lists at once, as write_prime_lists.
void format_prime_lists(char*& first_out, char*& second_out, const PrimeList& first_at,
                        const PrimeList& second_at, const PrimeBatch& batch);

// The bytes format_prime_list may touch for `count` primes.
std::size_t prime_list_room(std::size_t count, unsigned per_line);

// Writes text made by format_prime_list for `count` primes, and brings the
// list to where it then stands.
void write_formatted_list(PrimeList& list, const char* text, std::size_t size, std::size_t count);

// Brings the list to where it stands after `count` more primes.
void move_list_on(PrimeList& list, std::size_t count);
