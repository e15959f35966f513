// The table of the range modes.
#include "range/range_mode.hpp"

#include "listing/prime_list.hpp"

namespace {

constexpr RangeMode range_modes[] = {
    // 2: the list on the screen and in Prime.txt (slowest)
    {&MSG_BANNER_BOTH, true, 6, 10, &MSG_LIST_HEADER, &MSG_DONE, true},
    // 3: the list on the screen only
    {&MSG_BANNER_SCREEN, false, 6, 0, &MSG_LIST_HEADER, &MSG_DONE_SCREEN, true},
    // 4: the list in Prime.txt only
    {&MSG_BANNER_FILE, true, 0, 10, &MSG_LOGGING, &MSG_DONE, true},
    // 5: the count alone (fastest)
    {&MSG_BANNER_COUNT, false, 0, 0, &MSG_COUNTING, &MSG_DONE, false},
};

constexpr bool lines_fit_the_writer() {
    for (const RangeMode& m : range_modes)
        if (m.screen_line_primes > list_line_most || m.file_line_primes > list_line_most) return false;
    return true;
}
static_assert(lines_fit_the_writer(), "every mode's lines fit the list writer");

}  // namespace

const RangeMode* range_mode(int choice) {
    constexpr int first_choice = 2;
    constexpr int rows = sizeof range_modes / sizeof range_modes[0];
    return choice >= first_choice && choice < first_choice + rows ? &range_modes[choice - first_choice] : nullptr;
}
