// The list of primes as a run writes it: " p" items, a line break after
// every per_line-th prime. Bytes as MSG_LIST_ITEM and MSG_LINE_BREAK give.
#pragma once

#include <cstddef>

#include "console/channel.hpp"
#include "number/number.hpp"

struct PrimeList {
    Channel* channel;
    unsigned per_line;
    unsigned on_line = 0;  // items written since the last line break
    Number last = 0;       // the last prime written; 0 before the first
};

// Writes the primes, given in increasing order and each following the last
// one written without a prime between them.
void write_prime_list(PrimeList& list, const Number* primes, std::size_t count);

// The same primes into two lists at once, each with its own line length:
// every prime's digits are made once.
void write_prime_lists(PrimeList& first, PrimeList& second, const Number* primes, std::size_t count);

// The text write_prime_list would write for the list as `at` stands, put in
// `out` instead (which has prime_list_room(count, at.per_line) bytes); returns its end.
// Nothing is written to the channel and `at` does not change.
char* format_prime_list(char* out, const PrimeList& at, const Number* primes, std::size_t count);

// The same for two lists at once, as write_prime_lists.
void format_prime_lists(char*& first_out, char*& second_out, const PrimeList& first_at,
                        const PrimeList& second_at, const Number* primes, std::size_t count);

// The bytes format_prime_list may touch for `count` primes.
std::size_t prime_list_room(std::size_t count, unsigned per_line);

// Writes text made by format_prime_list, for `count` primes ending in
// `last`, and brings the list to where it then stands.
void write_formatted_list(PrimeList& list, const char* text, std::size_t size, std::size_t count, Number last);
