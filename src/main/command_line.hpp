// The one-shot check of command-line arguments.
#pragma once

// States for each argument whether it is a prime, with the factorization of
// each composite one, then the closing line.
void run_command_line(int argc, char** argv);
