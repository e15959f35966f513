// The message catalogue: every text the program writes, as code page 932 bytes.
#pragma once

#include <cstddef>

struct Message {
    const char* text;  // printf-style format, code page 932, LF line ends
    std::size_t size;  // bytes, without the terminating zero
};

// Every message of the catalogue, MSG_MENU to MSG_CLEAR.
#define MESSAGE(label, literal) extern const Message label;
#include "console/message_list.hpp"
#undef MESSAGE

// Every message, for tests that walk the whole catalogue.
extern const Message* const all_messages[];
extern const std::size_t message_count;
