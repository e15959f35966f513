// The table of the range modes.
#include "range/range_mode.hpp"

namespace {

const RangeMode range_modes[] = {
    // 2: the list on the screen and in Prime.txt (slowest)
    {&MSG_BANNER_BOTH, true, 6, 10, &MSG_LIST_HEADER, &MSG_DONE, true},
    // 3: the list on the screen only
    {&MSG_BANNER_SCREEN, false, 6, 0, &MSG_LIST_HEADER, &MSG_DONE_SCREEN, true},
    // 4: the list in Prime.txt only
    {&MSG_BANNER_FILE, true, 0, 10, &MSG_LOGGING, &MSG_DONE, true},
    // 5: the count alone (fastest)
    {&MSG_BANNER_COUNT, false, 0, 0, &MSG_COUNTING, &MSG_DONE, false},
};

}  // namespace

const RangeMode& range_mode(Mode mode) {
    return range_modes[mode >= 2 && mode <= 5 ? mode - 2 : 3];
}
