// The check of one number: prime, or not prime with its factorization.
#pragma once

#include "number/number.hpp"

// Writes the factorization block of n to the screen, nothing when n < 2.
void print_factorization(Number n);

// Says whether n is a prime (with the factorization when it is not), then
// waits for Enter.
void report_single_number(Number n);

// Menu choice 6: asks for a number until a valid one is typed, then reports it.
void run_single_number_mode();
