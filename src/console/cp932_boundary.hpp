// Where code page 932 text may be cut without splitting a two-byte
// character.
#pragma once

#include <cstddef>

// The length of the longest prefix of `bytes` that ends on a character
// boundary: all of it, or all but a lead byte whose second byte is not there.
std::size_t cp932_whole_prefix(const char* bytes, std::size_t size);
