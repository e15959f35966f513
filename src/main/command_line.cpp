// The one-shot check of command-line arguments.
#include "main/command_line.hpp"

#include "console/messages.hpp"
#include "console/say.hpp"
#include "number/factorization.hpp"
#include "number/is_composite.hpp"
#include "number/to_integer.hpp"

void run_command_line(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        // A negative or overlong argument wraps modulo 2^32: "-1" is 2^32 - 1.
        const auto value = static_cast<Number>(to_integer(argv[i]));
        const int verdict = is_composite(value);
        // The verdict shows the argument as typed, not the converted value.
        if (verdict == 1) {
            // Kept on purpose: this message has no line break of its own;
            // the factorization's heading starts with it.
            say(MSG_ARG_NOT_PRIME, argv[i]);
            print_factorization(value);
        } else if (verdict == 0) {
            say(MSG_ARG_PRIME, argv[i]);
        }
    }
    say(MSG_ARGS_DONE);
}
