// The table of the range modes.
#include "range/range_mode.hpp"

#include "listing/prime_list.hpp"
#include "result_file/list_size.hpp"

namespace {

constexpr unsigned screen_line_primes = 6;

}  // namespace

constexpr RangeMode list_to_screen_and_file{.banner = &MSG_BANNER_BOTH,
                                            .screen_line_primes = screen_line_primes,
                                            .file_line_primes = result_file_line_primes,
                                            .screen_preamble = &MSG_LIST_HEADER,
                                            .end_message = &MSG_DONE,
                                            .average_as_float = true};
constexpr RangeMode list_to_screen{.banner = &MSG_BANNER_SCREEN,
                                   .screen_line_primes = screen_line_primes,
                                   .file_line_primes = 0,
                                   .screen_preamble = &MSG_LIST_HEADER,
                                   .end_message = &MSG_DONE_SCREEN,
                                   .average_as_float = true};
constexpr RangeMode list_to_file{.banner = &MSG_BANNER_FILE,
                                 .screen_line_primes = 0,
                                 .file_line_primes = result_file_line_primes,
                                 .screen_preamble = &MSG_LOGGING,
                                 .end_message = &MSG_DONE,
                                 .average_as_float = true};
constexpr RangeMode count_only{.banner = &MSG_BANNER_COUNT,
                               .screen_line_primes = 0,
                               .file_line_primes = 0,
                               .screen_preamble = &MSG_COUNTING,
                               .end_message = &MSG_DONE,
                               .average_as_float = false};

static_assert(screen_line_primes <= list_line_most && result_file_line_primes <= list_line_most,
              "every mode's lines fit the list writer");
