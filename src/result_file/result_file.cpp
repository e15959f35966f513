// The result file "Prime.txt": list, summary and times of the last run.
#include "result_file/result_file.hpp"

#include "result_file/replacement.hpp"
#include "result_file/replacement_speed.hpp"

Channel result_file;

namespace {

constexpr const char* result_name = "Prime.txt";

Replacement replacement;

}  // namespace

void open_result_file(std::uint64_t expected_size) {
    const bool begun = begin_replacement(system_files(), replacement, result_name);
    if (begun) speed_up_start(replacement, result_name, expected_size);
    attach_channel(result_file, replacement.fd);
    result_file.failed = !begun;
}

bool close_result_file() {
    channel_flush(result_file);
    result_file.fd = -1;
    speed_up_end(replacement);
    if (result_file.failed) {
        abandon_replacement(system_files(), replacement);
        return false;
    }
    result_file.failed = !finish_replacement(system_files(), replacement, result_name);
    let_go_of_old_file(replacement);
    system_files().unlock_old(replacement);
    return !result_file.failed;
}
