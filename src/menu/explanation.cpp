// The explanation screen, with the number of checks made so far.
#include "menu/explanation.hpp"

#include "console/messages.hpp"
#include "console/say.hpp"

void show_explanation(int checks) {
    for (const Message* text : {&MSG_EXPLAIN_TITLE, &MSG_EXPLAIN_PURPOSE, &MSG_EXPLAIN_USAGE,
                                &MSG_EXPLAIN_CAUTION, &MSG_EXPLAIN_LONG_RANGE, &MSG_EXPLAIN_ABORT,
                                &MSG_EXPLAIN_SCANDISK, &MSG_EXPLAIN_CHECK_DISK,
                                &MSG_EXPLAIN_NO_FAULTS})
        say(*text);
    say(MSG_EXPLAIN_COUNT, checks);
    say(MSG_EXPLAIN_BACK);
}
