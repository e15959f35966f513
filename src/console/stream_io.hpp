// Reads and writes on the process's descriptors that neither give up on a
// non-blocking descriptor that is not ready nor on an interrupted call.
#pragma once

#include <cstddef>
#include <cstdint>

// Writes every byte; false on a real error (a full disk, a closed pipe).
bool write_all(int fd, const char* bytes, std::size_t size);

// Reads up to `size` bytes: their count, 0 at the end of input, -1 on an
// error. Sets `last` when the bytes end where the platform's end-of-input
// mark stood, after which nothing more is to be read.
long read_some(int fd, char* bytes, std::size_t size, bool& last);

// The descriptor's current file offset; 0 where it has none (a pipe).
std::uint64_t stream_position(int fd);

// Nanoseconds from a clock that only goes forward, whatever is done to the
// calendar clock.
std::int64_t monotonic_nanoseconds();

// True when the descriptor is an interactive console.
bool is_console(int fd);
