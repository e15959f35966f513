// Text to integer, as the classic atoi reads it: wrapping, never saturating.
#pragma once

int to_integer(const char* text);
