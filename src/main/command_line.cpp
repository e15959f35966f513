// The one-shot check of command-line arguments.
#include "main/command_line.hpp"

#include "console/messages.hpp"
#include "console/say.hpp"
#include "menu/single_number.hpp"
#include "number/is_composite.hpp"
#include "number/to_integer.hpp"

void run_command_line(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        // A negative or overlong argument wraps modulo 2^32: "-1" is 2^32 - 1.
        const auto value = static_cast<Number>(to_integer(argv[i]));
        // The verdict shows the argument as typed, not the converted value.
        if (is_composite(value) != 0) {
            // Kept on purpose: this message has no line break of its own;
            // the factorization's heading starts with it.
            say(MSG_ARG_NOT_PRIME, argv[i]);
            print_factorization(value);
        } else {
            say(MSG_ARG_PRIME, argv[i]);
        }
    }
    say(MSG_ARGS_DONE);
}
