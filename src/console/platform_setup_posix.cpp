// Process set-up on POSIX systems.
#include "console/platform_setup.hpp"

#include <csignal>
#include <ctime>

void set_up_platform() {
    // A write past the file-size limit then fails with EFBIG and is reported
    // like any failed write, instead of the signal killing the process.
    std::signal(SIGXFSZ, SIG_IGN);
    // The time-zone data is loaded now, while descriptors are free; later,
    // with the result file open, a low descriptor limit could leave the
    // stamps in UTC.
    tzset();
}

bool clear_console_natively() { return false; }
