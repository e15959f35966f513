// The dialogue that asks for the two ends of a range, in either order.
#include "range/range_entry.hpp"

#include "console/messages.hpp"
#include "console/number_entry.hpp"
#include "console/say.hpp"
#include "console/screen.hpp"
#include "menu/single_number.hpp"
#include "range/range_mode.hpp"

namespace {

void draw_entry_screen(const Message& banner) {
    clear_screen();
    say(banner);
    print_limit_notice();
}

}  // namespace

RangeEntry enter_range(Mode mode) {
    const Message& banner = *range_mode(mode).banner;
    Number first;
    do {
        draw_entry_screen(banner);
        say(MSG_PROMPT_FIRST);
        first = read_valid_number();
    } while (first == 0);
    Number second;
    do {
        draw_entry_screen(banner);
        say(MSG_FIRST_WAS, first);
        say(MSG_PROMPT_SECOND);
        second = read_valid_number();
    } while (second == 0);
    if (first == second) {
        report_single_number(first);
        return {true, first, second};
    }
    return first < second ? RangeEntry{false, first, second} : RangeEntry{false, second, first};
}
