// The dialogue that asks for the two ends of a range, in either order.
#include "range/range_entry.hpp"

#include "console/messages.hpp"
#include "console/number_entry.hpp"
#include "console/say.hpp"
#include "console/screen.hpp"
#include "range/range_mode.hpp"

namespace {

void draw_entry_screen(const Message& banner) {
    clear_screen();
    say(banner);
    print_limit_notice();
}

}  // namespace

RangeEntry enter_range(const RangeMode& m) {
    const Message& banner = *m.banner;
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
    return first <= second ? RangeEntry{first, second} : RangeEntry{second, first};
}
