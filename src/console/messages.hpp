// The message catalogue: every text the program writes, as code page 932 bytes.
#pragma once

#include <cstddef>

struct Message {
    const char* text;  // printf-style format, code page 932, LF line ends
    std::size_t size;  // bytes, without the terminating zero
};

// Menu and explanation screen.
extern const Message MSG_MENU;
extern const Message MSG_EXPLAIN_TITLE;
extern const Message MSG_EXPLAIN_PURPOSE;
extern const Message MSG_EXPLAIN_USAGE;
extern const Message MSG_EXPLAIN_CAUTION;
extern const Message MSG_EXPLAIN_LONG_RANGE;
extern const Message MSG_EXPLAIN_ABORT;
extern const Message MSG_EXPLAIN_SCANDISK;
extern const Message MSG_EXPLAIN_CHECK_DISK;
extern const Message MSG_EXPLAIN_NO_FAULTS;
extern const Message MSG_EXPLAIN_COUNT;
extern const Message MSG_EXPLAIN_BACK;

// Number entry.
extern const Message MSG_LIMIT_NOTICE;
extern const Message MSG_TOO_MANY_DIGITS;
extern const Message MSG_NOT_POSITIVE;
extern const Message MSG_TOO_LARGE;
extern const Message MSG_PRESS_ENTER;

// Single number and factorization.
extern const Message MSG_BANNER_SINGLE;
extern const Message MSG_PROMPT_SINGLE;
extern const Message MSG_IS_PRIME;
extern const Message MSG_NOT_PRIME;
extern const Message MSG_PRESS_ENTER_NL;
extern const Message MSG_FACTOR_HEAD;
extern const Message MSG_FACTOR_ITEM;
extern const Message MSG_FACTOR_TAIL;

// Command line.
extern const Message MSG_ARG_PRIME;
extern const Message MSG_ARG_NOT_PRIME;
extern const Message MSG_ARGS_DONE;

// Range dialogue, runs and result file.
extern const Message MSG_BANNER_BOTH;
extern const Message MSG_BANNER_SCREEN;
extern const Message MSG_BANNER_FILE;
extern const Message MSG_BANNER_COUNT;
extern const Message MSG_PROMPT_FIRST;
extern const Message MSG_FIRST_WAS;
extern const Message MSG_PROMPT_SECOND;
extern const Message MSG_LIST_HEADER;
extern const Message MSG_LIST_ITEM;
extern const Message MSG_LINE_BREAK;
extern const Message MSG_LOGGING;
extern const Message MSG_COUNTING;
extern const Message MSG_DONE;
extern const Message MSG_DONE_SCREEN;
extern const Message MSG_WRITTEN;
extern const Message MSG_WRITE_FAILED;
extern const Message MSG_NO_PRIMES;
extern const Message MSG_SUMMARY;
extern const Message MSG_SUMMARY_FILE;
extern const Message MSG_AVERAGE;
extern const Message MSG_TIMES;
extern const Message MSG_BACK_TO_MENU;

// Screen control: the only control sequence the program writes.
extern const Message MSG_CLEAR;

// Every message above, for tests that walk the whole catalogue.
extern const Message* const all_messages[];
extern const std::size_t message_count;
