// Temporary files where the C library's own are unique and unlinked at once.
#include "support/temporary_file.hpp"

#include <cstdlib>

std::FILE* temporary_file() {
    std::FILE* file = std::tmpfile();
    if (file == nullptr) {
        std::perror("tmpfile");
        std::abort();
    }
    return file;
}
