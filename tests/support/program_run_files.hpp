// The files around a program run, alike on every platform: its temporary
// directory with the input, the working directory, and what is collected
// from them after the run.
#pragma once

#include <filesystem>
#include <string>

#include "support/program_run.hpp"

// Makes the run's temporary directory: "stdin" with the input, the
// working directory with its preset files. Sets started.dir.
void prepare_run_directory(StartedProgram& started);

std::filesystem::path work_dir_of(const StartedProgram& started);

// Reads standard output and standard error, where they went to the files
// "stdout" and "stderr" of the run's directory, and the working directory
// into `run`, then removes the temporary directory.
void collect_run_files(const StartedProgram& started, ProgramRun& run);

// Per platform: whether the program has not ended yet (it is not reaped),
// and whether it holds a new result file with some bytes in it.
bool still_running(const StartedProgram& started);
bool holds_new_file_with_bytes(const StartedProgram& started);
