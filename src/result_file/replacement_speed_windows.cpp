// Replacing the result file on Windows needs no help to be quick.
#include "result_file/replacement_speed.hpp"

void speed_up_start(const Replacement&, const char*, std::uint64_t) {}
void speed_up_end(const Replacement&) {}
void let_go_of_old_file(Replacement&) {}
