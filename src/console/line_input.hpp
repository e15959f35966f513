// Line input from standard input: one typed line per read.
#pragma once

#include <cstddef>

// 255 bytes of line text and the terminating zero.
inline constexpr std::size_t line_buffer_size = 256;

// Thrown when standard input is exhausted before a line could be read; the
// program then ends quietly (status 0) instead of asking again.
struct InputEnded {};

// Reads one line into a fresh buffer and returns its length. The LF, and a
// CR right before it, are consumed and not stored; bytes past the 255th are
// read and discarded, so one typed line is always one line read. A last line
// without LF is delivered. Flushes all output first so prompts are visible.
std::size_t read_line(char (&buffer)[line_buffer_size]);

// read_line, then the line as an integer; also the wait for Enter.
int read_integer();

// Reads from another descriptor from now on (tests and fuzzing); 0 is
// standard input.
void attach_input(int fd);
