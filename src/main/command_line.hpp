// src/main: the process entry and the check of command-line arguments. It
// may use every other folder.
//
// The one-shot check of command-line arguments.
#pragma once

// States for each argument whether it is a prime, with the factorization of
// each composite one, then the closing line.
void run_command_line(int argc, char** argv);
