// A temporary file for captured output, removed when it is closed.
#pragma once

#include <cstdio>

// Opened for reading and writing in binary; safe when several test
// processes make theirs at the same moment. Ends the test run if none
// can be made, rather than handing back a null stream.
std::FILE* temporary_file();
