// Text to double, as the classic atof reads it: decimal only, with a d or e
// exponent; words such as inf or nan and hexadecimal forms give 0.0.
#pragma once

double to_floating(const char* text);
