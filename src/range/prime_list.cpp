// The list of primes as a run writes it: " p" items, a line break after
// every per_line-th prime.
#include "range/prime_list.hpp"

#include <charconv>

namespace {

// A space, ten digits and CR LF.
constexpr std::size_t longest_item = 13;

}  // namespace

void write_prime_list(PrimeList& list, const Number* primes, std::size_t count) {
    // The hot path of the listing modes: digits go straight into the buffer.
    // A console is flushed at each line break rather than after every item.
    Channel& channel = *list.channel;
    for (std::size_t i = 0; i < count; ++i) {
        char* at = channel_space(channel, longest_item);
        *at++ = ' ';
        at = std::to_chars(at, at + 10, primes[i]).ptr;
        if (++list.on_line == list.per_line) {
            list.on_line = 0;
            *at++ = '\r';
            *at++ = '\n';
            channel_commit(channel, at);
            channel_end_message(channel);
        } else {
            channel_commit(channel, at);
        }
    }
}
