// Validated entry of a number from 1 to 2000000000.
#pragma once

#include "number/number.hpp"

// Reads one line and returns its number, or 0 when it holds none; a rejected
// entry is explained on the screen and followed by a pause for Enter.
Number read_valid_number();
