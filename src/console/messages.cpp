// The message catalogue: every text the program writes, as code page 932 bytes.
// Typed here as readable Japanese; the build compiles this file with the
// execution character set CP932, so the literals are Shift_JIS in the binary.
#include "console/messages.hpp"

// A compiler that does not write these literals as code page 932 (clang++,
// or GCC without -fexec-charset=CP932) would build a program that writes
// UTF-8: stop the build instead. 表 and ソ end in 0x5C, the byte that a
// wrong conversion is most likely to break. The fuzz build, which looks for
// faults and not for bytes, says PRIMESEARCH_ANY_CATALOGUE_CHARSET.
#ifndef PRIMESEARCH_ANY_CATALOGUE_CHARSET
static_assert(sizeof("表") == 3 && "表"[0] == '\x95' && "表"[1] == '\x5c' &&
                  sizeof("ソ") == 3 && "ソ"[0] == '\x83' && "ソ"[1] == '\x5c',
              "the message catalogue must be compiled to code page 932 (Shift_JIS): "
              "build with GCC, which gets -fexec-charset=CP932 for this file");
#endif

// Each message, and the list of them all for the tests that walk the catalogue.
#define MESSAGE(label, literal) const Message label{literal, sizeof(literal) - 1};
#include "console/message_list.hpp"
#undef MESSAGE

const Message* const all_messages[] = {
#define MESSAGE(label, literal) &label,
#include "console/message_list.hpp"
#undef MESSAGE
};
const std::size_t message_count = sizeof all_messages / sizeof all_messages[0];
