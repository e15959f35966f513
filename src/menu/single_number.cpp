// The check of one number: prime, or not prime with its factorization.
#include "menu/single_number.hpp"

#include "console/line_input.hpp"
#include "console/messages.hpp"
#include "console/number_entry.hpp"
#include "console/say.hpp"
#include "console/screen.hpp"
#include "number/factorization.hpp"
#include "number/is_composite.hpp"

void print_factorization(Number n) {
    const Factors factors = factorize(n);
    if (factors.count == 0) return;
    say(MSG_FACTOR_HEAD);
    for (std::size_t i = 0; i < factors.count; ++i) say(MSG_FACTOR_ITEM, factors.entries[i]);
    say(MSG_FACTOR_TAIL);
}

void report_single_number(Number n) {
    if (is_composite(n) != 0) {
        say(MSG_NOT_PRIME, n);
        print_factorization(n);
    } else {
        say(MSG_IS_PRIME, n);
    }
    say(MSG_PRESS_ENTER_NL);
    read_integer();
}

void run_single_number_mode() {
    Number n;
    do {
        clear_screen();
        say(MSG_BANNER_SINGLE);
        print_limit_notice();
        say(MSG_PROMPT_SINGLE);
        n = read_valid_number();
    } while (n == 0);
    report_single_number(n);
}
