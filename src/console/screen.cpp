// Screen control and the notice shown above every number prompt.
#include "console/screen.hpp"

#include "console/messages.hpp"
#include "console/platform_setup.hpp"
#include "console/say.hpp"

void clear_screen() {
    if (!clear_console_natively()) say_to(error_channel(), MSG_CLEAR);
}

void print_limit_notice() { say(MSG_LIMIT_NOTICE); }
