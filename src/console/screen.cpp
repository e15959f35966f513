// Screen control and the notice shown above every number prompt.
#include "console/screen.hpp"

#include "console/messages.hpp"
#include "console/say.hpp"

void clear_screen() { say_to(error_channel(), MSG_CLEAR); }

void print_limit_notice() { say(MSG_LIMIT_NOTICE); }
