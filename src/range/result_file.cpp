// The result file "Prime.txt": list, summary and times of the last run.
#include "range/result_file.hpp"

#include <cstdio>

Channel result_file;

void open_result_file() {
    result_file.used = 0;
    result_file.stream = std::fopen("Prime.txt", "w");
    result_file.failed = result_file.stream == nullptr;
}

bool close_result_file() {
    channel_flush(result_file);
    if (result_file.stream != nullptr && std::fclose(result_file.stream) != 0)
        result_file.failed = true;
    result_file.stream = nullptr;
    return !result_file.failed;
}
